#include "InputFile.hpp"

#include "InputPlatform.hpp"

#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace quilvex {
namespace {

constexpr qint64 kFirstBlock = 4096;

// UTF-16 text read as UTF-8, a block at a time: memory does not grow with
// the file, and a character split between two reads is kept whole.
class Utf16Text : public QIODevice {
public:
    Utf16Text(std::unique_ptr<QFile> file, QStringConverter::Encoding encoding)
        : m_file(std::move(file)), m_decoder(encoding)  // drops the byte-order mark
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return QIODevice::bytesAvailable() + m_pending.size() - m_taken + m_file->bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 size) override
    {
        while (m_taken == m_pending.size()) {
            const QByteArray raw = m_file->read(kFirstBlock);
            if (raw.isEmpty()) {
                if (m_file->error() != QFileDevice::NoError)
                    setErrorString(m_file->errorString());
                return -1;
            }
            m_pending = QString(m_decoder(raw)).toUtf8();
            m_taken = 0;
        }
        const qint64 n = std::min(size, m_pending.size() - m_taken);
        std::memcpy(data, m_pending.constData() + m_taken, static_cast<std::size_t>(n));
        m_taken += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::unique_ptr<QFile> m_file;
    QStringDecoder m_decoder;
    QByteArray m_pending;  // decoded, from m_taken on not yet read
    qint64 m_taken = 0;
};

// The first bytes, as far as they have come: a FIFO's writer may send no
// more for a while.
QByteArray FirstBlock(QIODevice& in)
{
    return in.peek(1).isEmpty() ? QByteArray() : in.peek(std::min(kFirstBlock, std::max<qint64>(in.bytesAvailable(), 1)));
}

// The text of the file, without a byte-order mark, as UTF-8.
std::unique_ptr<QIODevice> AsUtf8(std::unique_ptr<QFile> file)
{
    const QByteArray start = file->peek(3);
    if (start.startsWith("\xEF\xBB\xBF")) {
        file->skip(3);
        return file;
    }
    if (start.startsWith("\xFF\xFE"))
        return std::make_unique<Utf16Text>(std::move(file), QStringConverter::Utf16LE);
    if (start.startsWith("\xFE\xFF"))
        return std::make_unique<Utf16Text>(std::move(file), QStringConverter::Utf16BE);
    return file;
}

}  // namespace

std::variant<std::unique_ptr<QIODevice>, FileProblem> OpenInput(const QString& path, NulBytes nul)
{
    auto file = std::make_unique<QFile>(path);
    if (QFileInfo(path).isDir())
        return FileProblem{"it is a directory", true};
    std::error_code error;
    const auto type = std::filesystem::status(path.toStdString(), error).type();
    // A terminal never ends and would be read as typed: no trip is kept there.
    if (type == std::filesystem::file_type::character && IsTerminal(path.toStdString()))
        return FileProblem{"it is a terminal; give a file or a FIFO", false};
    // Unbuffered, a FIFO's lines come as they are written, not once a block is full.
    if (type == std::filesystem::file_type::fifo) {
        const int fd = OpenFifoWithWriter(path.toStdString(), kFifoWaitMs);
        if (fd < 0 || !file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
            return FileProblem{"a FIFO nobody wrote to within " + std::to_string(kFifoWaitMs / 1000) + " s", false};
    } else if (!file->open(QIODevice::ReadOnly)) {
        return FileProblem{file->errorString().toStdString(), true};
    }
    if (file->peek(1).isEmpty())
        return FileProblem{file->error() == QFileDevice::NoError ? "it is empty" : file->errorString().toStdString(),
                           file->error() != QFileDevice::NoError};
    std::unique_ptr<QIODevice> text = AsUtf8(std::move(file));
    const QByteArray first = FirstBlock(*text);
    if (first.isEmpty())
        return FileProblem{"it holds nothing but a byte-order mark", false};
    if (nul == NulBytes::Refused && first.contains('\0'))
        return FileProblem{"it is not text (it holds NUL bytes)", false};
    return text;
}

bool LooksLikeXml(QIODevice& in)
{
    return FirstBlock(in).trimmed().startsWith('<');
}

}  // namespace quilvex
