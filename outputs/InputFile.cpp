#include "InputFile.hpp"

#include <QFileInfo>

#include <filesystem>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace quilvex {
namespace {

constexpr qint64 kFirstBlock = 4096;

// A FIFO opened for reading without waiting for a writer, then its first
// bytes awaited at most limitMs: its descriptor, blocking again, or -1 when
// nothing came (Windows has no FIFOs: always -1).
int OpenFifoWithWriter(const std::string& path, int limitMs)
{
#ifdef _WIN32
    (void)path;
    (void)limitMs;
    return -1;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    pollfd ready{fd, POLLIN, 0};
    if (fd < 0 || ::poll(&ready, 1, limitMs) != 1 || !(ready.revents & POLLIN)) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
#endif
}

}  // namespace

std::variant<std::unique_ptr<QFile>, FileProblem> OpenInput(const QString& path)
{
    auto file = std::make_unique<QFile>(path);
    if (QFileInfo(path).isDir())
        return FileProblem{"it is a directory", true};
    std::error_code error;
    if (std::filesystem::status(path.toStdString(), error).type() == std::filesystem::file_type::fifo) {
        const int fd = OpenFifoWithWriter(path.toStdString(), kFifoWaitMs);
        if (fd < 0 || !file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return FileProblem{"a FIFO nobody wrote to within " + std::to_string(kFifoWaitMs / 1000) + " s", false};
    } else if (!file->open(QIODevice::ReadOnly)) {
        return FileProblem{file->errorString().toStdString(), true};
    }
    const QByteArray first = file->peek(kFirstBlock);
    if (first.isEmpty())
        return FileProblem{file->error() == QFileDevice::NoError ? "it is empty" : file->errorString().toStdString(),
                           file->error() != QFileDevice::NoError};
    if (first.contains('\0'))
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
