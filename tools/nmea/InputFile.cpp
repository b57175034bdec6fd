#include "InputFile.hpp"

#include "ConsolePlatform.hpp"

#include <QFileInfo>

#include <filesystem>

namespace quilvex {
namespace {

constexpr qint64 kFirstBlock = 4096;

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
    if (type == std::filesystem::file_type::fifo) {
        const int fd = OpenFifoWithWriter(path.toStdString(), kFifoWaitMs);
        if (fd == kStopped)
            return FileProblem{"stopped while waiting for a writer", false, true};
        if (fd < 0 || !file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return FileProblem{"a FIFO nobody wrote to within " + std::to_string(kFifoWaitMs / 1000) + " s", false};
    } else if (!file->open(QIODevice::ReadOnly)) {
        return FileProblem{file->errorString().toStdString(), true};
    }
    const QByteArray first = file->peek(kFirstBlock);
    if (first.isEmpty())
        return FileProblem{file->error() == QFileDevice::NoError ? "it is empty" : file->errorString().toStdString(),
                           file->error() != QFileDevice::NoError};
    if (nul == NulBytes::Refused && first.contains('\0'))
        return FileProblem{"it is not text (it holds NUL bytes)", false};
    return file;
}

bool LooksLikeXml(QIODevice& in)
{
    const QByteArray first = in.peek(kFirstBlock);
    const QByteArray text = first.startsWith("\xEF\xBB\xBF") ? first.mid(3) : first;
    return text.trimmed().startsWith('<');
}

}  // namespace quilvex
