#include "common/core/TextImportFile.h"

#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"
#include "common/core/SafeWrite.h"

bool TextImportFile::load(const QString& path)
{
    QByteArray data;
    if (!SafeWrite::readFile(path, &data)) {
        return false;
    }
    setData(data);
    return true;
}

void TextImportFile::setData(const QByteArray& data)
{
    m_data = data;
    m_encoding = Gbk::detect(m_data);
    m_pos = Gbk::markLength(m_encoding);
}

TextImportFile::Line TextImportFile::next()
{
    const QByteArray raw = CMyTool::ReadTextLine(m_data, m_pos, CMyTool::MaxLineBytes);
    if (raw.isEmpty()) {
        return {true, std::nullopt};
    }
    if (const Problem problem = screen(raw, m_encoding); problem != Problem::None) {
        return {false, std::nullopt, problem};
    }
    std::optional<QString> text = Gbk::decode(raw, m_encoding);
    const Problem problem = text ? Problem::None : Problem::Undecodable;
    return {false, std::move(text), problem};
}

TextImportFile::Problem TextImportFile::screen(const QByteArray& line, Gbk::FileEncoding encoding)
{
    if (CMyTool::IsOverlong(line, CMyTool::MaxLineBytes)) {
        return Problem::TooLong;
    }
    return Gbk::lineDisagrees(line, encoding) ? Problem::OtherEncoding : Problem::None;
}

int TextImportFile::linesLeft() const
{
    int count = 0;
    qsizetype pos = m_pos;
    for (;;) {
        const QByteArray raw = CMyTool::ReadTextLine(m_data, pos, CMyTool::MaxLineBytes);
        if (raw.isEmpty()) {
            return count;
        }
        count += CMyTool::LineEndLength(raw) < raw.size() ? 1 : 0;
    }
}

QString TextImportFile::refusal(Problem problem, int number)
{
    const QString prefix = QStringLiteral("您所导入的文件中第%1条，").arg(number);
    if (problem == Problem::TooLong) {
        return prefix + QStringLiteral("该行超过%1字节，未导入").arg(CMyTool::MaxLineBytes);
    }
    return prefix +
           QStringLiteral(
               "该行的编码与文件其他行不同（像是UTF-8），未导入；请将文件整个另存为GBK或UTF-8后重新导入");
}
