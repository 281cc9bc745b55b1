#include "CliFixtures.h"

#include <memory>

#include "pipeline/ModuleRegistry.h"
#include "platform/Archive.h"
#include "platform/NumberFormat.h"

namespace tavrel::test {

std::string WriteDocument(const TempDir& dir, const std::string& name,
                          const std::function<void(CKaisekiDoc&)>& edit) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    if (edit) edit(doc);
    return dir.Write(name, doc.SaveToBytes());
}

std::string WriteCsv(const TempDir& dir, const std::string& name, int rows, int columns,
                     const std::function<double(int, int)>& value, const std::string& header) {
    std::string text = header;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c) text += ',';
            AppendG(text, value(r, c), 17);
        }
        text += "\r\n";
    }
    return dir.Write(name, text);
}

CModBase* AppendModule(CKaisekiDoc& doc, int channel, const std::string& className,
                       const std::function<void(Archive&)>& record) {
    std::unique_ptr<CModBase> module = CreateModule(className);
    if (!module) return nullptr;
    if (record) {
        Archive out;
        record(out);
        Archive in(out.Bytes());
        module->SerializeOwn(in);
    }
    module->m_doc = &doc;
    CModBase* raw = module.release();
    CModBase::AppendModule(doc.Head(channel), raw);
    return raw;
}

}  // namespace tavrel::test
