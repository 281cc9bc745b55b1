#include "document/MatReader.h"

#include <matio.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "document/RecordingPlan.h"
#include "platform/Host.h"
#include "platform/Rounding.h"
#include "platform/SharedLibrary.h"

namespace tavrel {

namespace {

// matio's functions, from the library loaded at their first use.
struct MatioFunctions {
    decltype(::Mat_Close)* Mat_Close = nullptr;
    decltype(::Mat_GetVersion)* Mat_GetVersion = nullptr;
    decltype(::Mat_LogInitFunc)* Mat_LogInitFunc = nullptr;
    decltype(::Mat_Open)* Mat_Open = nullptr;
    decltype(::Mat_VarFree)* Mat_VarFree = nullptr;
    decltype(::Mat_VarRead)* Mat_VarRead = nullptr;
    decltype(::Mat_VarReadData)* Mat_VarReadData = nullptr;
    decltype(::Mat_VarReadInfo)* Mat_VarReadInfo = nullptr;
    decltype(::Mat_VarReadNextInfo)* Mat_VarReadNextInfo = nullptr;
    std::string error;  // why matio cannot be used; empty when it can
};

const MatioFunctions& Matio() {
    static const MatioFunctions functions = [] {
        MatioFunctions f;
        SharedLibrary library(TAVREL_MATIO_LIBRARY);
        const bool found = library.Find(f.Mat_Close, "Mat_Close") &&
                           library.Find(f.Mat_GetVersion, "Mat_GetVersion") &&
                           library.Find(f.Mat_LogInitFunc, "Mat_LogInitFunc") &&
                           library.Find(f.Mat_Open, "Mat_Open") &&
                           library.Find(f.Mat_VarFree, "Mat_VarFree") &&
                           library.Find(f.Mat_VarRead, "Mat_VarRead") &&
                           library.Find(f.Mat_VarReadData, "Mat_VarReadData") &&
                           library.Find(f.Mat_VarReadInfo, "Mat_VarReadInfo") &&
                           library.Find(f.Mat_VarReadNextInfo, "Mat_VarReadNextInfo");
        if (!found) f.error = library.Error();
        return f;
    }();
    return functions;
}

std::mutex g_matLock;

struct MatCloser {
    void operator()(mat_t* mat) const { Matio().Mat_Close(mat); }
};
struct VarFreer {
    void operator()(matvar_t* var) const { Matio().Mat_VarFree(var); }
};
using MatPtr = std::unique_ptr<mat_t, MatCloser>;
using VarPtr = std::unique_ptr<matvar_t, VarFreer>;

// matio reports some damage only through its log: a compressed stream that ends before the data
// do leaves the rest of them as they were in storage. The warnings and errors it logs are counted
// (under g_matLock), and a reading of data during which one was logged fails.
int g_matProblems = 0;
void CountProblems(int level, char*) {
    if (level <= MATIO_LOG_LEVEL_WARNING) ++g_matProblems;
}

constexpr std::array<std::string_view, 7> kRateNames = {
    "fs", "Fs", "FS", "rate", "srate", "sampling_rate", "SamplingRate"};

bool IsNumericClass(matio_classes type) {
    switch (type) {
        case MAT_C_DOUBLE:
        case MAT_C_SINGLE:
        case MAT_C_INT8:
        case MAT_C_UINT8:
        case MAT_C_INT16:
        case MAT_C_UINT16:
        case MAT_C_INT32:
        case MAT_C_UINT32:
        case MAT_C_INT64:
        case MAT_C_UINT64:
            return true;
        default:
            return false;
    }
}

// Why a variable cannot give channels, or empty.
std::string NotNumeric(const matvar_t& var) {
    if (var.class_type == MAT_C_STRUCT) return "a struct";
    if (var.class_type == MAT_C_CELL) return "a cell array";
    if (var.class_type == MAT_C_SPARSE) return "sparse";
    if (var.class_type == MAT_C_CHAR) return "text";
    if (!IsNumericClass(var.class_type)) return "not numeric";
    if (var.isComplex) return "complex";
    if (var.isLogical) return "logical";
    if (var.rank != 2 || !var.dims) return "not two-dimensional";
    return {};
}

std::size_t ElementSize(matio_classes type) {
    switch (type) {
        case MAT_C_DOUBLE:
        case MAT_C_INT64:
        case MAT_C_UINT64:
            return 8;
        case MAT_C_SINGLE:
        case MAT_C_INT32:
        case MAT_C_UINT32:
            return 4;
        case MAT_C_INT16:
        case MAT_C_UINT16:
            return 2;
        default:
            return 1;
    }
}

// Element `i` of a read numeric variable as a double.
double Element(const matvar_t& var, std::size_t i) {
    const void* data = var.data;
    switch (var.class_type) {
        case MAT_C_DOUBLE:
            return static_cast<const double*>(data)[i];
        case MAT_C_SINGLE:
            return static_cast<const float*>(data)[i];
        case MAT_C_INT8:
            return static_cast<const std::int8_t*>(data)[i];
        case MAT_C_UINT8:
            return static_cast<const std::uint8_t*>(data)[i];
        case MAT_C_INT16:
            return static_cast<const std::int16_t*>(data)[i];
        case MAT_C_UINT16:
            return static_cast<const std::uint16_t*>(data)[i];
        case MAT_C_INT32:
            return static_cast<const std::int32_t*>(data)[i];
        case MAT_C_UINT32:
            return static_cast<const std::uint32_t*>(data)[i];
        case MAT_C_INT64:
            return static_cast<double>(static_cast<const std::int64_t*>(data)[i]);
        case MAT_C_UINT64:
            return static_cast<double>(static_cast<const std::uint64_t*>(data)[i]);
        default:
            return 0.0;
    }
}

template <class T>
void Widen(const void* from, double* to, std::size_t count) {
    const T* values = static_cast<const T*>(from);
    for (std::size_t i = 0; i < count; ++i)
        to[i] = static_cast<double>(values[i]);
}

// `count` elements of class `type` as doubles, as Element gives them.
void ConvertElements(matio_classes type, const void* from, double* to, std::size_t count) {
    switch (type) {
        case MAT_C_SINGLE:
            return Widen<float>(from, to, count);
        case MAT_C_INT8:
            return Widen<std::int8_t>(from, to, count);
        case MAT_C_UINT8:
            return Widen<std::uint8_t>(from, to, count);
        case MAT_C_INT16:
            return Widen<std::int16_t>(from, to, count);
        case MAT_C_UINT16:
            return Widen<std::uint16_t>(from, to, count);
        case MAT_C_INT32:
            return Widen<std::int32_t>(from, to, count);
        case MAT_C_UINT32:
            return Widen<std::uint32_t>(from, to, count);
        case MAT_C_INT64:
            return Widen<std::int64_t>(from, to, count);
        case MAT_C_UINT64:
            return Widen<std::uint64_t>(from, to, count);
        default:
            return Widen<double>(from, to, count);
    }
}

// Reads elements [0, count) of column `c` of a variable's matrix (a vector: c = 0) straight into
// `column`: a double variable into the column's own storage, another class through `scratch`.
// Only for data that lie one after another in the file (a column, or a vector) and that matio
// reads without inflating the whole variable again. False when matio cannot read them.
bool ReadColumnInPlace(mat_t* mat, matvar_t& info, std::size_t c, std::size_t count,
                       std::vector<double>& column, std::vector<unsigned char>& scratch) {
    if (count > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
        c > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return false;
    const bool rowVector = info.dims[0] == 1;
    int start[2] = {0, rowVector ? 0 : static_cast<int>(c)};
    int stride[2] = {1, 1};
    int edge[2] = {rowVector ? 1 : static_cast<int>(count),
                   rowVector ? static_cast<int>(count) : 1};
    column.resize(count);
    const int problems = g_matProblems;
    if (info.class_type == MAT_C_DOUBLE)
        return Matio().Mat_VarReadData(mat, &info, column.data(), start, stride, edge) == 0 &&
               g_matProblems == problems;
    scratch.resize(count * ElementSize(info.class_type));
    if (Matio().Mat_VarReadData(mat, &info, scratch.data(), start, stride, edge) != 0 ||
        g_matProblems != problems)
        return false;
    ConvertElements(info.class_type, scratch.data(), column.data(), count);
    return true;
}

// A variable's description (no data) when it is a numeric matrix whose columns can be read in
// place; null otherwise (it is then read whole).
VarPtr InPlaceInfo(mat_t* mat, const std::string& name) {
    VarPtr info(Matio().Mat_VarReadInfo(mat, name.c_str()));
    if (!info || !NotNumeric(*info).empty()) return nullptr;
    // A compressed variable of a version 5 file would be inflated again for each column.
    if (Matio().Mat_GetVersion(mat) != MAT_FT_MAT73 && info->compression != MAT_COMPRESSION_NONE)
        return nullptr;
    return info;
}

// What the top-level elements of a version 5 file hold. matio reads the missing bytes of a cut
// element, and the data a variable's dimensions promise beyond its stored data, as zeros or
// whatever follows; and it reserves storage for the dimensions before reading.
struct FileElements {
    bool withinFile = true;  // every top-level element lies within the file
    bool whole = true;       // every matrix element holds what its tags promise
    bool version5 = false;   // a version 5 file (7.3 is an HDF5 file, checked by the HDF5 library)
    // The elements stored in each variable's data, by name (compressed or not).
    std::map<std::string, std::uint64_t, std::less<>> stored;
};

// The size of one element of a version 5 data type; 0 for the types that are not numbers.
std::uint64_t StoredSize(std::uint32_t type) {
    switch (type) {
        case 1:  // miINT8
        case 2:  // miUINT8
            return 1;
        case 3:  // miINT16
        case 4:  // miUINT16
            return 2;
        case 5:  // miINT32
        case 6:  // miUINT32
        case 7:  // miSINGLE
            return 4;
        case 9:   // miDOUBLE
        case 12:  // miINT64
        case 13:  // miUINT64
            return 8;
        default:
            return 0;
    }
}

// Reads the little- or big-endian 32-bit word at `at`.
std::uint32_t Word(const unsigned char* at, bool little) {
    return little ? static_cast<std::uint32_t>(at[0] | at[1] << 8 | at[2] << 16) |
                        static_cast<std::uint32_t>(at[3]) << 24
                  : static_cast<std::uint32_t>(at[3] | at[2] << 8 | at[1] << 16) |
                        static_cast<std::uint32_t>(at[0]) << 24;
}

// Checks a matrix element of a version 5 file before matio reads it: matio reserves storage for
// what the element's tags promise (a name, the cells of a cell array, a structure's fields) before
// it finds that the element does not hold them. Every part must lie within its element, nested
// elements too.
class MatrixCheck {
  public:
    // Reads `n` bytes at `at` of the element's content; false beyond what is there.
    using Read = std::function<bool(std::uint64_t at, void* out, std::size_t n)>;

    MatrixCheck(Read read, bool little) : m_read(std::move(read)), m_little(little) {}

    // Whether the matrix whose content is [from, end) is whole; for the top level, its name and
    // the number of elements its data hold.
    bool Check(std::uint64_t from, std::uint64_t end, int depth, std::string* name = nullptr,
               std::uint64_t* stored = nullptr) {
        if (from == end) return true;  // an empty matrix (an empty cell)
        if (depth > kDeepest) return false;
        std::uint64_t at = from;
        Tag flags, dims, label;
        std::uint32_t flagWord = 0;
        if (!Sub(at, end, flags) || flags.size != 8 || !Word32(flags.data, flagWord) ||
            !Sub(at, end, dims) || dims.size > 4 * kRankLimit || !Sub(at, end, label) ||
            label.size > kNameLimit)
            return false;
        const unsigned type = flagWord & 0xFFu;
        const bool complex = flagWord & 0x800u;
        Tag part;
        if (type < 1 || type > 15) {
            // Classes of other layouts (function handles, MATLAB's own objects): each of their
            // parts within the element.
            while (at < end)
                if (!Sub(at, end, part)) return false;
            return true;
        }
        std::uint64_t count = 1;
        for (std::uint64_t d = 0; d < dims.size / 4; ++d) {
            std::uint32_t extent = 0;
            if (!Word32(dims.data + 4 * d, extent)) return false;
            if (extent != 0 && count > kMostElements / extent) return false;
            count *= extent;
        }
        if (name) {
            name->assign(label.size, '\0');
            if (!m_read(label.data, name->data(), label.size)) return false;
        }
        switch (type) {
            case 1:  // a cell array: a matrix element per cell
                return Nested(at, end, count, depth);
            case 3:  // an object: its class name, then as a structure
                if (!Sub(at, end, part)) return false;
                [[fallthrough]];
            case 2: {  // a structure: the length of a field name, the names, a matrix per field
                Tag length, names;
                std::uint32_t each = 0;
                if (!Sub(at, end, length) || length.size < 4 || !Word32(length.data, each) ||
                    !Sub(at, end, names))
                    return false;
                const std::uint64_t fields = each ? names.size / each : 0;
                if (fields != 0 && count > kMostElements / fields) return false;
                return Nested(at, end, count * fields, depth);
            }
            case 5:  // sparse: row indices, column starts, values
                return Sub(at, end, part) && Sub(at, end, part) && Sub(at, end, part) &&
                       (!complex || Sub(at, end, part));
            default: {  // numbers or characters: the values, real then imaginary
                if (!Sub(at, end, part)) return false;
                if (stored) {
                    const std::uint64_t each = StoredSize(part.type);
                    *stored = each ? part.size / each : 0;
                }
                return !complex || Sub(at, end, part);
            }
        }
    }

  private:
    static constexpr int kDeepest = 32;
    static constexpr std::uint64_t kRankLimit = 64;
    static constexpr std::uint64_t kNameLimit = 4096;
    static constexpr std::uint64_t kMostElements = std::uint64_t{1} << 48;

    struct Tag {
        std::uint32_t type = 0;
        std::uint64_t size = 0, data = 0;
    };

    bool Word32(std::uint64_t at, std::uint32_t& value) {
        unsigned char b[4];
        if (!m_read(at, b, sizeof b)) return false;
        value = Word(b, m_little);
        return true;
    }

    // The sub-element at `at`, which must lie before `end`; `at` moves past it. Small ones keep
    // their type, size and up to four bytes in one word pair.
    bool Sub(std::uint64_t& at, std::uint64_t end, Tag& tag) {
        std::uint32_t first = 0, second = 0;
        if (at + 8 > end || !Word32(at, first) || !Word32(at + 4, second)) return false;
        if (first >> 16) {
            tag = Tag{first & 0xFFFFu, first >> 16, at + 4};
            at += 8;
            return tag.size <= 4;
        }
        tag = Tag{first, second, at + 8};
        at = tag.data + (tag.size + 7) / 8 * 8;
        return tag.data + tag.size <= end;
    }

    // `count` matrix elements one after another from `at`, each checked.
    bool Nested(std::uint64_t at, std::uint64_t end, std::uint64_t count, int depth) {
        if (count > (end - at) / 8) return false;
        for (std::uint64_t k = 0; k < count; ++k) {
            std::uint32_t type = 0, size = 0;
            if (at + 8 > end || !Word32(at, type) || !Word32(at + 4, size) || type != 14 ||
                at + 8 + size > end || !Check(at + 8, at + 8 + size, depth + 1))
                return false;
            at += 8 + (std::uint64_t{size} + 7) / 8 * 8;
        }
        return true;
    }

    Read m_read;
    bool m_little;
};

// A compressed element's content `compressed`, inflated to at most `most` bytes.
std::string Inflate(std::string_view compressed, std::size_t most) {
    std::string out;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return out;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    int status = Z_OK;
    while (status == Z_OK && out.size() < most) {
        const std::size_t done = out.size();
        out.resize(std::min(most, std::max<std::size_t>(2 * done, 4096)));
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + done);
        stream.avail_out = static_cast<uInt>(out.size() - done);
        status = inflate(&stream, Z_SYNC_FLUSH);
        out.resize(out.size() - stream.avail_out);
        if (status == Z_BUF_ERROR && stream.avail_in == 0) break;
    }
    inflateEnd(&stream);
    return out;
}

FileElements ScanElements(std::FILE* file) {
    FileElements found;
    unsigned char head[128];
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fread(head, 1, sizeof head, file) != 128) {
        found.withinFile = false;
        return found;
    }
    const bool little = head[126] == 'I' && head[127] == 'M';
    const bool big = head[126] == 'M' && head[127] == 'I';
    const unsigned version = little ? head[124] | head[125] << 8 : head[124] << 8 | head[125];
    if ((!little && !big) || version != 0x0100) return found;
    found.version5 = true;
    if (std::fseek(file, 0, SEEK_END) != 0) {
        found.withinFile = false;
        return found;
    }
    const long long size = std::ftell(file);
    auto readFile = [file, size](long long at, void* out, std::size_t n) {
        return at >= 0 && at + static_cast<long long>(n) <= size &&
               std::fseek(file, static_cast<long>(at), SEEK_SET) == 0 &&
               std::fread(out, 1, n, file) == n;
    };
    // zlib inflates a byte to at most 1032.
    constexpr std::uint64_t kMostInflated = 1032;
    std::string compressed;
    for (long long at = 128; at < size;) {
        unsigned char tag[8];
        if (!readFile(at, tag, sizeof tag)) {
            found.withinFile = false;
            return found;
        }
        const std::uint32_t type = Word(tag, little), bytes = Word(tag + 4, little);
        const long long content = at + 8;
        at = content + static_cast<long long>(bytes);
        if (at > size) {
            found.withinFile = false;
            return found;
        }
        // Compressed elements (type 15) are not padded to eight bytes.
        if (type != 15) at = (at + 7) / 8 * 8;
        std::string name;
        std::uint64_t stored = 0;
        if (type == 14) {
            MatrixCheck check(
                [&](std::uint64_t from, void* out, std::size_t n) {
                    return readFile(content + static_cast<long long>(from), out, n);
                },
                little);
            found.whole = check.Check(0, bytes, 0, &name, &stored);
        } else if (type == 15) {
            // The matrix's tag and content, inflated whole for what nests matrices (cells,
            // structures, objects), its head otherwise: for a head, only the first compressed
            // bytes are read (matio reads the data themselves later).
            constexpr std::size_t kHeadRoom = 4096;
            compressed.resize(std::min<std::size_t>(bytes, 4 * kHeadRoom));
            std::string inflated;
            std::uint32_t inner = 0, flags = 0;
            if (readFile(content, compressed.data(), compressed.size())) {
                inflated = Inflate(compressed, kHeadRoom);
                if (inflated.size() >= 24) {
                    const auto* head = reinterpret_cast<const unsigned char*>(inflated.data());
                    inner = Word(head + 4, little);
                    flags = Word(head + 16, little);
                }
            }
            const unsigned matrixClass = flags & 0xFFu;
            if (matrixClass >= 1 && matrixClass <= 3) {
                compressed.resize(bytes);
                if (!readFile(content, compressed.data(), compressed.size())) {
                    found.withinFile = false;
                    return found;
                }
                inflated = Inflate(compressed, static_cast<std::size_t>(std::min<std::uint64_t>(
                                                   std::uint64_t{inner} + 8, kMostInflated * bytes)));
            }
            const std::string_view view(inflated);
            MatrixCheck check(
                [view](std::uint64_t from, void* out, std::size_t n) {
                    if (from + 8 + n > view.size()) return false;
                    std::memcpy(out, view.data() + 8 + from, n);
                    return true;
                },
                little);
            found.whole = inflated.size() >= 8 &&
                          Word(reinterpret_cast<const unsigned char*>(inflated.data()), little) ==
                              14 &&
                          inner <= kMostInflated * bytes &&
                          check.Check(0, inner, 0, &name, &stored);
        } else {
            continue;
        }
        if (!found.whole) return found;
        found.stored.emplace(std::move(name), stored);
    }
    return found;
}

// Why the data of a numeric variable of `count` elements are not all in the file, or empty.
std::string DataMissing(const FileElements& elements, const matvar_t& var, std::uint64_t count) {
    if (!elements.version5) return {};
    const auto stored = elements.stored.find(std::string_view(var.name ? var.name : ""));
    if (stored == elements.stored.end() || stored->second < count)
        return "its data not all in the file";
    return {};
}

// Reads the data of variable `name`; null when matio cannot or the data are not all there.
VarPtr ReadData(mat_t* mat, const std::string& name) {
    const int problems = g_matProblems;
    VarPtr var(Matio().Mat_VarRead(mat, name.c_str()));
    if (g_matProblems != problems) return nullptr;
    if (!var || !var->data || !NotNumeric(*var).empty()) return nullptr;
    const std::size_t count = var->dims[0] * var->dims[1];
    if (var->dims[1] != 0 && count / var->dims[1] != var->dims[0]) return nullptr;
    if (var->nbytes < count * ElementSize(var->class_type)) return nullptr;
    return var;
}

// What the variables of the file give.
struct Variables {
    std::string matrix;                // the first numeric matrix, or empty
    std::size_t rows = 0, cols = 0;    // its dimensions
    std::vector<std::string> vectors;  // the numeric vectors of the first vector's length
    std::size_t length = 0;            // that length
    std::optional<double> rate;
    std::vector<std::string> skipped;  // "name (why)"
};

Variables ListVariables(mat_t* mat, const FileElements& elements) {
    Variables found;
    std::vector<std::pair<std::string, std::size_t>> vectors;  // name, length
    while (VarPtr var{Matio().Mat_VarReadNextInfo(mat)}) {
        const std::string name = var->name ? var->name : "";
        if (name.empty()) continue;
        std::string why = NotNumeric(*var);
        if (why.empty()) why = DataMissing(elements, *var, std::uint64_t{var->dims[0]} * var->dims[1]);
        const std::size_t rows = why.empty() ? var->dims[0] : 0;
        const std::size_t cols = why.empty() ? var->dims[1] : 0;
        const bool rateName =
            std::find(kRateNames.begin(), kRateNames.end(), name) != kRateNames.end();
        if (why.empty() && rows == 1 && cols == 1 && rateName && !found.rate) {
            VarPtr value = ReadData(mat, name);
            if (value && std::isfinite(Element(*value, 0)) && Element(*value, 0) > 0) {
                found.rate = Element(*value, 0);
                continue;
            }
            why = "not a usable rate";
        }
        if (why.empty() && rows * cols < 2) why = "a scalar or empty";
        if (why.empty() && rows > 1 && cols > 1) {
            if (found.matrix.empty()) {
                found.matrix = name;
                found.rows = rows;
                found.cols = cols;
                continue;
            }
            why = "a further matrix";
        }
        if (why.empty()) {
            vectors.emplace_back(name, rows * cols);
            continue;
        }
        found.skipped.push_back(name + " (" + why + ")");
    }
    for (const auto& [name, length] : vectors) {
        if (!found.matrix.empty()) {
            found.skipped.push_back(name + " (a vector beside the matrix)");
        } else if (found.vectors.empty() || length == found.length) {
            found.vectors.push_back(name);
            found.length = length;
        } else {
            found.skipped.push_back(name + " (a vector of another length)");
        }
    }
    return found;
}

}  // namespace

bool IsMatHeader(std::string_view head) {
    head = head.substr(0, 116);
    return head.substr(0, 7) == "MATLAB " && head.find("MAT-file") != std::string_view::npos;
}

RecordingResult ReadMatRecording(std::FILE* data, const std::string& path,
                                 const ReadOptions& options, Progress* progress) {
    auto refuse = [](std::string reason) {
        return Failure(ReadError{ReadError::Kind::Refused, "MATLAB file: " + std::move(reason)});
    };
    const FileElements elements = ScanElements(data);
    if (!elements.withinFile) return refuse("the file is shorter than its contents say");
    if (!elements.whole) return refuse("a variable is damaged (its parts do not fit in it)");
    std::lock_guard<std::mutex> hold(g_matLock);
    if (!Matio().error.empty()) return refuse(Matio().error);
    Matio().Mat_LogInitFunc("tavrel", CountProblems);
    MatPtr mat(Matio().Mat_Open(DescriptorPath(data, path).c_str(), MAT_ACC_RDONLY));
    if (!mat) return refuse("matio cannot open it (a damaged header or an unknown version)");

    Recording recording;
    try {
        Variables found = ListVariables(mat.get(), elements);
        // The channels: each a variable (vectors), or the matrix read once.
        VarPtr matrix;
        bool byColumns = true;  // the matrix's columns are the channels
        std::size_t channelCount = found.vectors.size(), length = found.length;
        VarPtr matrixInfo;  // the matrix read column by column in place
        if (!found.matrix.empty()) {
            byColumns = !(found.rows < found.cols && found.rows <= Recording::kColumns);
            if (byColumns) matrixInfo = InPlaceInfo(mat.get(), found.matrix);
            if (!matrixInfo) {
                matrix = ReadData(mat.get(), found.matrix);
                if (!matrix) return refuse("the data of " + found.matrix + " cannot be read");
            }
            channelCount = byColumns ? found.cols : found.rows;
            length = byColumns ? found.rows : found.cols;
        }
        const bool isMatrix = !found.matrix.empty();
        if (channelCount == 0) {
            std::string reason = "no numeric matrix or vector to read";
            for (std::size_t i = 0; i < found.skipped.size(); ++i)
                reason += (i ? ", " : "; skipped: ") + found.skipped[i];
            return refuse(reason);
        }
        std::vector<SourceChannel> channels(channelCount);
        for (std::size_t c = 0; c < channelCount; ++c) {
            channels[c].label =
                isMatrix ? found.matrix + "(" + std::to_string(c + 1) + ")" : found.vectors[c];
            channels[c].rate = found.rate.value_or(0.0);
        }
        recording.notes.skipped = std::move(found.skipped);
        const ChannelPlan plan =
            PlanChannels(channels, static_cast<long long>(length), options, recording);
        if (!plan.refusal.empty()) return refuse(plan.refusal);
        if (progress) progress->SetRange(0, SaturateToInt(plan.count * Recording::kColumns));
        const std::size_t n = static_cast<std::size_t>(plan.count);
        std::vector<unsigned char> scratch;
        for (int k = 0; k < Recording::kColumns; ++k) {
            const int source = plan.source[static_cast<std::size_t>(k)];
            if (source < 0) continue;
            const std::size_t c = static_cast<std::size_t>(source);
            std::vector<double>& column = recording.columns[static_cast<std::size_t>(k)];
            const std::string& name = isMatrix ? found.matrix : found.vectors[c];
            VarPtr vector;
            if (matrixInfo || (!isMatrix && (vector = InPlaceInfo(mat.get(), name)))) {
                if (!ReadColumnInPlace(mat.get(), matrixInfo ? *matrixInfo : *vector,
                                       matrixInfo ? c : 0, n, column, scratch))
                    return refuse("the data of " + name + " cannot be read");
            } else {
                if (!isMatrix) {
                    vector = ReadData(mat.get(), name);
                    if (!vector) return refuse("the data of " + name + " cannot be read");
                }
                const matvar_t& var = isMatrix ? *matrix : *vector;
                column.resize(n);
                // MATLAB stores a matrix column by column.
                for (std::size_t i = 0; i < n; ++i) {
                    const std::size_t at = !isMatrix   ? i
                                           : byColumns ? c * found.rows + i
                                                       : i * found.rows + c;
                    column[i] = Element(var, at);
                }
            }
            if (progress) {
                progress->Step(SaturateToInt(plan.count));
                if (progress->PumpMessages()) {
                    recording.notes.cancelled = true;
                    break;
                }
            }
        }
    } catch (const std::bad_alloc&) {
        recording.notes.outOfMemory = true;
    } catch (const std::length_error&) {
        recording.notes.outOfMemory = true;
    }
    EndAtColumnZero(recording);
    return recording;
}

}  // namespace tavrel
