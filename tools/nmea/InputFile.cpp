#include "InputFile.hpp"

#include "ConsolePlatform.hpp"

#include <QFileInfo>

#include <algorithm>
#include <filesystem>

namespace quilvex {
namespace {

constexpr qint64 kFirstBlock = 4096;

// The first bytes, as far as they have come: a FIFO's writer may send no
// more for a while.
QByteArray FirstBlock(QIODevice& in)
{
    return in.peek(1).isEmpty() ? QByteArray() : in.peek(std::min(kFirstBlock, std::max<qint64>(in.bytesAvailable(), 1)));
}

}  // namespace

std::variant<std::unique_ptr<QFile>, FileProblem> OpenInput(const QString& path, NulBytes nul)
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
        if (fd == kStopped)
            return FileProblem{"stopped while waiting for a writer", false, true};
        if (fd < 0 || !file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
            return FileProblem{"a FIFO nobody wrote to within " + std::to_string(kFifoWaitMs / 1000) + " s", false};
    } else if (!file->open(QIODevice::ReadOnly)) {
        return FileProblem{file->errorString().toStdString(), true};
    }
    const QByteArray first = FirstBlock(*file);
    if (first.isEmpty())
        return FileProblem{file->error() == QFileDevice::NoError ? "it is empty" : file->errorString().toStdString(),
                           file->error() != QFileDevice::NoError};
    if (nul == NulBytes::Refused && first.contains('\0'))
        return FileProblem{"it is not text (it holds NUL bytes)", false};
    return file;
}

bool LooksLikeXml(QIODevice& in)
{
    const QByteArray first = FirstBlock(in);
    const QByteArray text = first.startsWith("\xEF\xBB\xBF") ? first.mid(3) : first;
    return text.trimmed().startsWith('<');
}

}  // namespace quilvex
