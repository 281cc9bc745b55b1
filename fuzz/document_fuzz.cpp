// Fuzzes the document-file loader: any bytes either load or are refused with the document set up
// anew; whatever loads is drawn, measured, read out and saved again over a small recording.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/Host.h"

using namespace tavrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static NullHost host;
    SetHost(&host);
    CKaisekiDoc doc;
    if (!doc.ReadDocumentBytes(std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;
    fuzz::FillTestRecording(doc, 300);
    fuzz::ExerciseDocument(doc);
    return 0;
}
