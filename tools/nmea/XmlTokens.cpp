#include "XmlTokens.hpp"

#include <algorithm>

namespace quilvex {
namespace {

constexpr qint64 kBlock = 64 * 1024;

}  // namespace

bool XmlTokens::next()
{
    if (!m_fault.empty())
        return false;
    if (m_xml.isEndElement())
        --m_depth;
    for (;;) {
        m_xml.readNext();
        if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || m_ended)
            break;
        if (m_sinceToken > kLongestXmlToken)
            return fail("a tag, text or comment longer than " + std::to_string(kLongestXmlToken >> 20) +
                        " MiB (at most 1 MiB each is read)");
        char block[kBlock];
        const qint64 n = m_in.read(block, kBlock);
        m_ended = n <= 0;
        m_sinceToken += std::max<qint64>(n, 0);
        m_xml.addData(QString(m_utf8(QByteArrayView(block, std::max<qint64>(n, 0)))));
    }
    m_sinceToken = 0;
    if (m_xml.hasError())
        return false;
    if (m_xml.isDTD() && !m_xml.entityDeclarations().isEmpty())
        return fail("it declares entities, which no GPX file needs");
    if (m_xml.isStartElement() && ++m_depth > kDeepestXml)
        return fail("elements nested more than " + std::to_string(kDeepestXml) + " deep");
    return !m_xml.isEndDocument();
}

bool XmlTokens::fail(std::string why)
{
    m_fault = "line " + std::to_string(m_xml.lineNumber()) + ": " + std::move(why);
    return false;
}

std::string XmlTokens::error() const
{
    if (!m_fault.empty())
        return m_fault;
    return m_xml.hasError() ? "line " + std::to_string(m_xml.lineNumber()) + ": " + m_xml.errorString().toStdString() : "";
}

}  // namespace quilvex
