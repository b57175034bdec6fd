#pragma once

#include <QFile>

#include <memory>
#include <string>
#include <variant>

namespace quilvex {

// Why a file named on the command line cannot be used.
struct FileProblem {
    std::string message;
    bool unreadable;  // cannot be read at all (exit 1), rather than holds nothing usable (exit 2)
};

// How long a FIFO is given for a writer's first bytes.
inline constexpr int kFifoWaitMs = 3000;

// The file opened to be read as a stream of UTF-8 text: a byte-order mark
// is passed over, and UTF-16 with one (Notepad, PowerShell 5.1's >) is
// decoded as it is read. A FIFO is read as a writer writes it, once its
// first bytes came within kFifoWaitMs. Refused: a file that cannot be
// opened, a directory or a terminal; one that is empty, or, unless its
// reader passes binary bytes over, holds a NUL byte in its first block
// (not text).
enum class NulBytes { Refused, PassedOver };
std::variant<std::unique_ptr<QIODevice>, FileProblem> OpenInput(const QString& path, NulBytes nul = NulBytes::Refused);

// Whether the text starts as XML, after blanks.
bool LooksLikeXml(QIODevice& in);

}  // namespace quilvex
