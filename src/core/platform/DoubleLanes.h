// W doubles side by side in one vector register (GCC and Clang vector extensions), for the
// vector kernels, with loads and stores at any address of a double. Copying through memcpy makes
// both compilers emit one unaligned vector move; a vector type with a lowered alignment is not
// honoured by every compiler, and an aligned move of an unaligned address stops the program.
#pragma once

namespace tavrel {

template <int W>
struct Lanes {
    typedef double Vec __attribute__((vector_size(8 * W)));
};

// The loads and stores are always inlined, so the vectors they pass by value never meet a call
// whose layout would depend on the instruction set.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Vec LoadLanes(const double* p) {
    typename Lanes<W>::Vec v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

template <int W>
[[gnu::always_inline]] inline void StoreLanes(double* p, typename Lanes<W>::Vec v) {
    __builtin_memcpy(p, &v, sizeof v);
}

#pragma GCC diagnostic pop

}  // namespace tavrel
