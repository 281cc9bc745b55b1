// The vector instruction sets the numeric kernels are compiled for, and the one this processor
// runs. Kernels with vector paths take the set as an argument (the widest supported by default),
// so that tests can run every path on one machine; every path gives bit-identical results.
#pragma once

namespace tavrel {

// In increasing width: Plain is the scalar loop every kernel keeps, Sse2 two doubles per
// operation (every x86-64 processor), Avx2 four, Avx512 eight (AVX-512 Foundation). A kernel
// without a path of some width takes its widest narrower one.
enum class InstructionSet { Plain, Sse2, Avx2, Avx512 };

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TAVREL_HAVE_X86_KERNELS 1

// The widest set this processor runs (AVX2 and AVX-512 need the processor and the system to keep
// the wider registers; the compiler's check covers both). Asked on first use, not while the
// program is loaded, so that it also works under the sanitizers.
inline InstructionSet BestInstructionSet() {
    static const InstructionSet best = __builtin_cpu_supports("avx512f") ? InstructionSet::Avx512
                                       : __builtin_cpu_supports("avx2")  ? InstructionSet::Avx2
                                                                         : InstructionSet::Sse2;
    return best;
}
#else
inline InstructionSet BestInstructionSet() {
    return InstructionSet::Plain;
}
#endif

// `wanted`, narrowed to what this processor runs.
inline InstructionSet UsableInstructionSet(InstructionSet wanted) {
    const InstructionSet best = BestInstructionSet();
    return wanted < best ? wanted : best;
}

}  // namespace tavrel
