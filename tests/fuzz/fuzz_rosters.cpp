// Every roster reader on any file: the three roster kinds loaded as their books load them, then
// saved unchanged. Saving is a fixed point (loading what was saved and saving again gives the same
// bytes), the records shown come back the same, and no line the book does not show is lost: every
// blank and every refused line of the file is still in what was written, byte for byte, GBK.
#include "FuzzCheck.h"
#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"
#include "common/core/SafeWrite.h"
#include "rosters/core/RosterDocument.h"
#include "rosters/core/RosterFormat.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdint>

namespace {

QByteArray saved(RosterDocument::Kind kind, const QString& name, const QByteArray& bytes,
                 QVector<QStringList>* rows)
{
    FUZZ_CHECK(SafeWrite::writeFile(CMyTool::DataFilePath(name), bytes));
    RosterDocument doc(kind, name);
    if (doc.load(RecordCheckMode::Plain) != RosterDocument::LoadResult::Loaded) {
        FUZZ_CHECK(!doc.save()); // nothing is saved over lines it could not read
        return QByteArray();
    }
    rows->clear();
    for (int r = 0; r < doc.rowCount(); ++r) {
        rows->append(doc.row(r));
    }
    FUZZ_CHECK(doc.save());
    QByteArray out;
    FUZZ_CHECK(SafeWrite::readFile(doc.path(), &out));
    FUZZ_CHECK(out == doc.serialize());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const bool ready = [] {
        CMyTool::SetModuleDirForTests(dir.path());
        return true;
    }();
    (void)ready;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const struct
    {
        RosterDocument::Kind kind;
        const char* name;
    } kinds[] = {{RosterDocument::Kind::Interbank, "kuahangacc.txt"},
                 {RosterDocument::Kind::InBank, "hangneiacc.txt"},
                 {RosterDocument::Kind::Payroll, "roster.txt"}};
    for (const auto& k : kinds) {
        const QString name = QString::fromLatin1(k.name);
        QVector<QStringList> rows;
        const QByteArray first = saved(k.kind, name, bytes, &rows);
        if (first.isNull()) {
            continue;
        }
        // What the program writes is GBK with CR LF, whatever came in; a line it passed over
        // (too long, another encoding) goes back as it came, whatever its bytes.
        FUZZ_CHECK(first.isEmpty() || first.endsWith("\r\n"));
        for (const QByteArray& line : first.chopped(first.isEmpty() ? 0 : 2).split('\n')) {
            const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
            FUZZ_CHECK(Gbk::decode(text).has_value() || bytes.contains(text));
        }
        QVector<QStringList> again;
        FUZZ_CHECK(saved(k.kind, name, first, &again) == first);
        FUZZ_CHECK(again == rows);
        // Lines the book does not show stay in the file (the file read as GBK: the same bytes).
        if (Gbk::detect(bytes) == Gbk::FileEncoding::Gbk) {
            qsizetype pos = 0;
            while (const std::optional<QByteArray> line = RosterFormat::nextLine(bytes, pos)) {
                const std::optional<QStringList> fields =
                    RosterFormat::decodeAndSplit(*line, RosterDocument::layoutOf(k.kind));
                if (!fields) {
                    break;
                }
                QStringList record = RosterDocument::recordFromFields(k.kind, *fields);
                if (!RosterDocument::check(k.kind, record, CheckReporter(RecordCheckMode::Silent))) {
                    FUZZ_CHECK(first.contains(*line + "\r\n"));
                }
            }
        }
    }
    return 0;
}
