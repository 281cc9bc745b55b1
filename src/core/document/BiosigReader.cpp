#include "document/BiosigReader.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include "document/RecordingPlan.h"
#include "platform/Host.h"
#include "platform/Rounding.h"
#include "platform/SharedLibrary.h"

// BioSig's headers define macros with common names (BIN, EVENT, ...); they come last.
#include <biosig-dev.h>
#include <biosig.h>

namespace tavrel {

namespace {

// Every call into BioSig is made under this lock.
std::mutex g_biosigLock;

// BioSig's functions, from the library loaded at their first use.
struct BiosigFunctions {
    decltype(::sopen)* sopen = nullptr;
    decltype(::sread)* sread = nullptr;
    decltype(::sclose)* sclose = nullptr;
    decltype(::constructHDR)* constructHDR = nullptr;
    decltype(::destructHDR)* destructHDR = nullptr;
    decltype(::biosig_get_errormsg)* biosig_get_errormsg = nullptr;
    decltype(::GetFileTypeString)* GetFileTypeString = nullptr;
    decltype(::PhysDim3)* PhysDim3 = nullptr;
    decltype(::GetEventDescription)* GetEventDescription = nullptr;
    std::string error;  // why BioSig cannot be used; empty when it can
};

const BiosigFunctions& Biosig() {
    static const BiosigFunctions functions = [] {
        BiosigFunctions f;
        SharedLibrary library(TAVREL_BIOSIG_LIBRARY);
        const bool found = library.Find(f.sopen, "sopen") && library.Find(f.sread, "sread") &&
                           library.Find(f.sclose, "sclose") &&
                           library.Find(f.constructHDR, "constructHDR") &&
                           library.Find(f.destructHDR, "destructHDR") &&
                           library.Find(f.biosig_get_errormsg, "biosig_get_errormsg") &&
                           library.Find(f.GetFileTypeString, "GetFileTypeString") &&
                           library.Find(f.PhysDim3, "PhysDim3") &&
                           library.Find(f.GetEventDescription, "GetEventDescription");
        if (!found) f.error = library.Error();
        return f;
    }();
    return functions;
}

// Samples per channel read by one call of sread at most, so that a cancel is noticed and the
// columns grow together.
constexpr long long kChunkSamples = 1 << 16;

// A BioSig header, closed and freed with the object.
struct Header {
    HDRTYPE* hdr = nullptr;
    ~Header() {
        if (!hdr) return;
        if (hdr->FILE.OPEN) Biosig().sclose(hdr);
        Biosig().destructHDR(hdr);
    }
};

std::string ErrorText(HDRTYPE* hdr) {
    // biosig_get_errormsg returns a copy for the caller to free.
    char* message = hdr ? Biosig().biosig_get_errormsg(hdr) : nullptr;
    std::string text = message ? message : "";
    std::free(message);
    // BioSig's messages end with line ends.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty()) text = "the file cannot be read";
    return "BioSig: " + text;
}

// The start of a child process that tries BioSig: its complaints go nowhere (the parent tells the
// user why a file was refused), and a fault in BioSig ends it at once with the signal's default
// action, which the parent sees, rather than through a handler inherited from the parent (a
// debugger's, a sanitizer's or a fuzzer's, which would report the child's fault as its own).
void StartQuietChild() {
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) dup2(quiet, STDERR_FILENO);
    for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        signal(fault, SIG_DFL);
}

Failure<ReadError> Refuse(std::string reason) {
    return Failure<ReadError>{ReadError{ReadError::Kind::Refused, std::move(reason)}};
}

// The text of event `e`: BioSig's description (free text or the standard code's name), or the
// event code.
std::string EventText(HDRTYPE* hdr, std::size_t e) {
    const char* text = Biosig().GetEventDescription(hdr, e);
    if (text && *text) return text;
    char code[16];
    std::snprintf(code, sizeof code, "0x%04x", static_cast<unsigned>(hdr->EVENT.TYP[e]));
    return code;
}

void ReadEvents(HDRTYPE* hdr, std::vector<RecordingEvent>& events) {
    const double rate = hdr->EVENT.SampleRate > 0 ? hdr->EVENT.SampleRate : hdr->SampleRate;
    if (!(rate > 0) || !hdr->EVENT.POS || !hdr->EVENT.TYP) return;
    for (std::size_t e = 0; e < hdr->EVENT.N; ++e) {
        RecordingEvent event;
        event.onsetMs = hdr->EVENT.POS[e] * 1000.0 / rate;
        event.durationMs = hdr->EVENT.DUR ? hdr->EVENT.DUR[e] * 1000.0 / rate : 0.0;
        event.text = EventText(hdr, e);
        events.push_back(std::move(event));
    }
}

// What the reading child shares with the program: how far it got, how it ended, and the samples
// (each read channel's plan.count values one after another).
struct SharedSamples {
    std::atomic<long long> done{0};
    char error[512] = {};
};

enum class SampleRead { Read, Short, Refused, Failed, Cancelled };

constexpr auto kStallTime = std::chrono::seconds(20);

// ReadSamples in a child process: BioSig reads past its buffers on some valid files (GDF with one
// sample per record and several channels), which must not take the program with it. The samples
// come back through shared memory; progress and a cancel work as in the reading itself, and a
// child that makes no progress for a long time is stopped.
SampleRead ReadSamplesInChild(HDRTYPE* hdr, const ChannelPlan& plan, Recording& recording,
                              Progress* progress, std::string& error) {
    std::vector<int> order;  // columns in the order of sread's output
    for (int k = 0; k < Recording::kColumns; ++k)
        if (plan.source[static_cast<std::size_t>(k)] >= 0) order.push_back(k);
    const auto count = static_cast<std::size_t>(plan.count);
    const std::size_t bytes = sizeof(SharedSamples) + order.size() * count * sizeof(double);
    void* map = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) throw std::bad_alloc();
    auto* shared = new (map) SharedSamples;
    auto* values = reinterpret_cast<double*>(static_cast<char*>(map) + sizeof(SharedSamples));
    struct Unmap {
        void* at;
        std::size_t size;
        ~Unmap() { munmap(at, size); }
    } unmap{map, bytes};

    const pid_t child = fork();
    if (child < 0) return SampleRead::Failed;
    if (child == 0) {
        StartQuietChild();
        const long long perBlock = std::max<long long>(hdr->SPR, 1);
        const long long blocksPerChunk = std::max<long long>(1, kChunkSamples / perBlock);
        for (long long done = 0; done < plan.count;) {
            const long long block = done / perBlock;
            const long long blocks =
                std::min(blocksPerChunk, (plan.count - done + perBlock - 1) / perBlock);
            const std::size_t got = Biosig().sread(nullptr, static_cast<std::size_t>(block),
                                                   static_cast<std::size_t>(blocks), hdr);
            const std::size_t rows = hdr->data.size[0];
            if (got == 0 || !hdr->data.block || hdr->data.size[1] < order.size() || rows == 0 ||
                rows > static_cast<std::size_t>(blocks * perBlock)) {
                if (hdr->AS.B4C_ERRNUM == B4C_NO_ERROR) _exit(71);
                std::snprintf(shared->error, sizeof shared->error, "%s", ErrorText(hdr).c_str());
                _exit(72);
            }
            const long long n = std::min(static_cast<long long>(rows), plan.count - done);
            for (std::size_t c = 0; c < order.size(); ++c)
                std::memcpy(values + c * count + static_cast<std::size_t>(done),
                            hdr->data.block + c * rows,
                            static_cast<std::size_t>(n) * sizeof(double));
            done += n;
            shared->done.store(done, std::memory_order_release);
            if (static_cast<long long>(rows) < blocks * perBlock && done < plan.count) _exit(71);
        }
        _exit(70);
    }

    SampleRead outcome = SampleRead::Failed;
    long long seen = 0;
    auto lastProgress = std::chrono::steady_clock::now();
    int status = 0;
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        const long long done = shared->done.load(std::memory_order_acquire);
        if (done != seen) {
            if (progress)
                progress->Step(SaturateToInt((done - seen) * static_cast<long long>(order.size())));
            seen = done;
            lastProgress = std::chrono::steady_clock::now();
        }
        if (ended == child) {
            if (WIFEXITED(status) && WEXITSTATUS(status) == 70) outcome = SampleRead::Read;
            if (WIFEXITED(status) && WEXITSTATUS(status) == 71) outcome = SampleRead::Short;
            if (WIFEXITED(status) && WEXITSTATUS(status) == 72) outcome = SampleRead::Refused;
            break;
        }
        const bool cancelled = progress && progress->PumpMessages();
        if (ended < 0 || cancelled ||
            std::chrono::steady_clock::now() - lastProgress > kStallTime) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            outcome = cancelled ? SampleRead::Cancelled : SampleRead::Failed;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    shared->error[sizeof shared->error - 1] = '\0';
    error = shared->error;
    // What was read: all of it, or up to a cancel.
    const long long done = shared->done.load(std::memory_order_acquire);
    if (outcome == SampleRead::Read || outcome == SampleRead::Cancelled) {
        for (std::size_t c = 0; c < order.size(); ++c) {
            const double* from = values + c * count;
            recording.columns[static_cast<std::size_t>(order[c])].assign(from, from + done);
        }
        recording.rowCount = static_cast<int>(done);
        if (outcome == SampleRead::Cancelled) recording.notes.cancelled = true;
    }
    return outcome;
}

// Whether BioSig recognised the file but knows it as something other than a recording (a picture,
// an archive, a document): such a file is one no reader here knows.
bool UnknownToReaders(const HDRTYPE* hdr) {
    if (!hdr || hdr->AS.B4C_ERRNUM == B4C_FORMAT_UNKNOWN) return true;
    switch (hdr->TYPE) {
        case noFile:
        case unknown:
        case ASF:
        case AVI:
        case BMP:
        case BZ2:
        case ELF:
        case EXIF:
        case FLAC:
        case GIF:
        case GZIP:
        case HDF:
        case JPEG:
        case JSON:
        case MIDI:
        case MSI:
        case MSVCLIB:
        case MS_LNK:
        case NetCDF:
        case NUMPY:
        case OGG:
        case PBMA:
        case PBMN:
        case PDF:
        case PGMA:
        case PGMB:
        case PNG:
        case PNM:
        case PPMA:
        case PPMB:
        case PS:
        case SASXPT:
        case SPSS:
        case SQLite:
        case STATA:
        case SVG:
        case TIFF:
        case VRML:
        case VTK:
        case WMF:
        case XML:
        case XPM:
        case Z:
        case ZIP:
        case ZIP2:
            return true;
        default:
            return false;
    }
}

// How BioSig fares with a file, tried in a child process: BioSig crashes on some damaged headers
// (and may loop on others), which must not take the program with it.
enum class Trial { Readable, Unknown, Refused, Failed };

constexpr int kReadable = 70, kUnknown = 71, kRefused = 72;
constexpr auto kTrialTime = std::chrono::seconds(10);

Trial TryInChild(const std::string& name) {
    const pid_t child = fork();
    if (child < 0) return Trial::Readable;  // no trial possible: read as such
    if (child == 0) {
        // BioSig's complaints about the file are told by the reading in the parent.
        StartQuietChild();
        HDRTYPE* hdr = Biosig().constructHDR(0, 0);
        if (hdr) {
            hdr->FLAG.UCAL = 0;
            hdr->FLAG.ROW_BASED_CHANNELS = 0;
            if (HDRTYPE* opened = Biosig().sopen(name.c_str(), "r", hdr)) hdr = opened;
        }
        int code = kRefused;
        if (!hdr || UnknownToReaders(hdr)) {
            code = kUnknown;
        } else if (hdr && hdr->AS.B4C_ERRNUM == B4C_NO_ERROR && hdr->FILE.OPEN && hdr->NRec > 0) {
            // The samples are read in a child process of their own (ReadSamplesInChild).
            code = kReadable;
        }
        // What the reading does with the header besides the samples, the event texts and the
        // closing, is tried here too: BioSig fails in its closing on some damaged headers.
        if (code == kReadable) {
            std::vector<RecordingEvent> events;
            ReadEvents(hdr, events);
        }
        if (hdr) {
            if (hdr->FILE.OPEN) Biosig().sclose(hdr);
            Biosig().destructHDR(hdr);
        }
        _exit(code);
    }
    const auto end = std::chrono::steady_clock::now() + kTrialTime;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (done < 0 || std::chrono::steady_clock::now() > end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return Trial::Failed;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!WIFEXITED(status)) return Trial::Failed;
    switch (WEXITSTATUS(status)) {
        case kReadable:
            return Trial::Readable;
        case kUnknown:
            return Trial::Unknown;
        case kRefused:
            return Trial::Refused;
        default:
            return Trial::Failed;
    }
}

}  // namespace

bool IsBinaryHead(std::string_view head) {
    return std::any_of(head.begin(), head.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\v' && byte != '\f' &&
               byte != '\r';
    });
}

std::string BiosigUnit(std::uint16_t code) {
    std::lock_guard<std::mutex> hold(g_biosigLock);
    if (!Biosig().error.empty()) return "";
    const char* unit = Biosig().PhysDim3(code);
    return unit ? unit : "";
}

std::vector<std::string> BiosigEventTexts(const std::vector<std::uint16_t>& types,
                                          const std::vector<std::string>& descriptions) {
    std::vector<std::string> texts;
    if (types.empty()) return texts;
    std::vector<const char*> table;
    for (const std::string& text : descriptions)
        table.push_back(text.c_str());
    std::vector<std::uint16_t> codes = types;
    std::lock_guard<std::mutex> hold(g_biosigLock);
    if (!Biosig().error.empty()) return std::vector<std::string>(types.size());
    Header header;
    header.hdr = Biosig().constructHDR(0, 0);
    if (!header.hdr) throw std::bad_alloc();
    HDRTYPE* hdr = header.hdr;
    // The header's own event arrays are put back before it is freed, also after a throw.
    struct PutBack {
        HDRTYPE* hdr;
        decltype(hdr->EVENT) own = hdr->EVENT;
        ~PutBack() { hdr->EVENT = own; }
    } putBack{hdr};
    hdr->TYPE = GDF;
    hdr->EVENT.TYP = codes.data();
    hdr->EVENT.N = static_cast<std::uint32_t>(codes.size());
    hdr->EVENT.CodeDesc = table.empty() ? nullptr : table.data();
    hdr->EVENT.LenCodeDesc = static_cast<std::uint16_t>(table.size());
    for (std::size_t e = 0; e < codes.size(); ++e)
        texts.push_back(EventText(hdr, e));
    return texts;
}

bool BiosigAvailable() {
    std::lock_guard<std::mutex> hold(g_biosigLock);
    return Biosig().error.empty();
}

std::optional<RecordingResult> ReadBiosigRecording(std::FILE* data, const std::string& path,
                                                   const ReadOptions& options, Progress* progress) {
    std::lock_guard<std::mutex> hold(g_biosigLock);
    if (!Biosig().error.empty()) return RecordingResult(Refuse("BioSig: " + Biosig().error));
    const std::string name = DescriptorPath(data, path);
    // BioSig is first tried on the file in a child process; only a file it survives is read here.
    switch (TryInChild(name)) {
        case Trial::Unknown:
            return std::nullopt;
        case Trial::Failed:
            return RecordingResult(
                Refuse("BioSig: the file is damaged (the library failed on its header)"));
        default:
            break;
    }
    Header file;
    file.hdr = Biosig().constructHDR(0, 0);
    if (!file.hdr) return RecordingResult(Refuse("BioSig: not enough memory"));
    file.hdr->FLAG.UCAL = 0;
    file.hdr->FLAG.ROW_BASED_CHANNELS = 0;
    HDRTYPE* opened = Biosig().sopen(name.c_str(), "r", file.hdr);
    if (opened) file.hdr = opened;
    HDRTYPE* hdr = file.hdr;
    if (UnknownToReaders(hdr)) return std::nullopt;
    if (!opened || hdr->AS.B4C_ERRNUM != B4C_NO_ERROR || !hdr->FILE.OPEN)
        return RecordingResult(Refuse(ErrorText(hdr)));
    if (hdr->NRec < 0 || hdr->SPR == 0 || !(hdr->SampleRate > 0) || !hdr->CHANNEL)
        return RecordingResult(Refuse("BioSig: the header gives no length or sampling rate of " +
                                      std::string(Biosig().GetFileTypeString(hdr->TYPE)) +
                                      " data"));

    // A header that promises more records than the file holds would have storage reserved for
    // all of them before the reading finds the file short. GDF and CFWB files hold their
    // records of bpb bytes after the header: a record of no bytes holds no samples either.
    struct stat status {};
    if ((hdr->TYPE == GDF || hdr->TYPE == CFWB) && hdr->FILE.COMPRESSION == 0 && hdr->NRec > 0 &&
        ::fstat(fileno(data), &status) == 0 &&
        (hdr->AS.bpb <= 0 || status.st_size < static_cast<off_t>(hdr->HeadLen) ||
         static_cast<std::uint64_t>(hdr->NRec) >
             static_cast<std::uint64_t>(status.st_size - hdr->HeadLen) /
                 static_cast<std::uint64_t>(hdr->AS.bpb)))
        return RecordingResult(Refuse("BioSig: the file is shorter than its header says"));
    if (static_cast<std::uint64_t>(hdr->NRec) >
        static_cast<std::uint64_t>(std::numeric_limits<long long>::max()) / hdr->SPR)
        return RecordingResult(Refuse("BioSig: the header promises more samples than can be read"));

    // The data channels in file order (BioSig switches off what is not one).
    std::vector<SourceChannel> channels;
    std::vector<int> index;  // BioSig's number of each
    for (int k = 0; k < hdr->NS; ++k) {
        CHANNEL_TYPE& channel = hdr->CHANNEL[k];
        if (channel.OnOff != 1) continue;
        const char* unit = Biosig().PhysDim3(channel.PhysDimCode);
        channels.push_back(
            {channel.Label, hdr->SampleRate * channel.SPR / hdr->SPR, unit ? unit : ""});
        index.push_back(k);
    }

    Recording recording;
    try {
        const long long samples = static_cast<long long>(hdr->NRec) * hdr->SPR;
        const ChannelPlan plan = PlanChannels(channels, samples, options, recording);
        if (!plan.refusal.empty()) return RecordingResult(Refuse("BioSig: " + plan.refusal));
        // Only the planned channels are switched on for sread.
        for (int k = 0; k < hdr->NS; ++k)
            hdr->CHANNEL[k].OnOff = 0;
        long long total = 0;
        for (int source : plan.source) {
            if (source < 0) continue;
            hdr->CHANNEL[index[static_cast<std::size_t>(source)]].OnOff = 1;
            total += plan.count;
        }
        if (progress) progress->SetRange(0, SaturateToInt(total));
        if (!plan.Empty()) {
            std::string error;
            switch (ReadSamplesInChild(hdr, plan, recording, progress, error)) {
                case SampleRead::Short:
                    return RecordingResult(
                        Refuse("BioSig: the file is shorter than its header says"));
                case SampleRead::Refused:
                    return RecordingResult(Refuse(error));
                case SampleRead::Failed:
                    return RecordingResult(
                        Refuse("BioSig: the library failed while reading the samples"));
                default:
                    break;
            }
        }
        ReadEvents(hdr, recording.events);
    } catch (const std::bad_alloc&) {
        recording.notes.outOfMemory = true;
    } catch (const std::length_error&) {
        recording.notes.outOfMemory = true;
    }
    EndAtColumnZero(recording);
    return RecordingResult(std::move(recording));
}

}  // namespace tavrel
