// Any bytes decode without reading past the end, and what decodes encodes to
// bytes that decode to the same rows.
#include "core/text_record.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<vostrel::TextRow> rows = vostrel::decodeTextRows(bytes);
    std::string again = vostrel::encodeTextRows(rows);
    if (again.size() > size) std::abort();  // decoding only ever drops bytes
    std::vector<vostrel::TextRow> reread = vostrel::decodeTextRows(again);
    if (reread.size() != rows.size()) std::abort();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (reread[i].cells != rows[i].cells || reread[i].image != rows[i].image || reread[i].data != rows[i].data) {
            std::abort();
        }
    }
    return 0;
}
