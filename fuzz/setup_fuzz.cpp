// Fuzzes the reading of set-ups as JSON (`tavrel-cli new --from`): any bytes either build a
// document file or are refused with a reason of one line; a document built is read back, and its
// description builds the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/KaisekiDoc.h"
#include "document/SetupJson.h"
#include "platform/Host.h"

using namespace tavrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static NullHost host;
    SetHost(&host);
    const SetupBuild build =
        BuildSetupDocument(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!build.ok) {
        if (build.error.empty() || build.error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    CKaisekiDoc doc;
    if (!doc.ReadDocumentBytes(build.bytes)) std::abort();
    const SetupBuild again = BuildSetupDocument(DescribeSetup(doc));
    if (!again.ok || again.bytes != build.bytes) std::abort();
    return 0;
}
