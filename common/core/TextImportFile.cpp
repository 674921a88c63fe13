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
    const QByteArray raw = CMyTool::ReadTextLine(m_data, m_pos);
    if (raw.isEmpty()) {
        return {true, std::nullopt};
    }
    return {false, Gbk::decode(raw, m_encoding)};
}
