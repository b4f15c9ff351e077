// libFuzzer target: reading `index` (ReadContents) on any bytes, then the
// write/read round trip. Checks: no crash, no overread (ASan), and that what
// the writer produces reads back without faults and writes back identically.

#include "store/contents_tree.h"
#include "store/index_file.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace quillery;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString format = QStringLiteral("dd.MM.yyyy");
    static const QDateTime now(QDate(2030, 6, 15), QTime(12, 0));
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    TContentsTree first;
    std::vector<std::string> faults;
    ReadContents(bytes, first, format, now, &faults);
    const TContentsBytes written = WriteContents(first, format);
    if (written.Index.find_first_of("\r\n") != std::string::npos)
        std::abort(); // index must be one line

    TContentsTree second;
    std::vector<std::string> again;
    ReadContents(written.Index, second, format, now, &again);
    if (!again.empty() || second.NodeCount() != first.NodeCount())
        std::abort(); // the writer's own output must read back whole
    if (WriteContents(second, format).Index != written.Index)
        std::abort(); // and be a fixed point
    return 0;
}
