#pragma once

// The few plain socket calls the network outputs make themselves, where Qt
// would hide what they need: a client that closed only its sending side, or
// the system's reason a datagram was refused.

#include <QtGlobal>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace quilvex::native {

#ifdef _WIN32
using Socket = SOCKET;
using Length = int;
inline constexpr int kNoSignal = 0;
inline int LastError() { return WSAGetLastError(); }
inline bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINTR; }
inline bool Left(int error) { return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN; }
inline bool Refused(int error) { return error == WSAECONNRESET; }  // a datagram nobody took
inline void Close(qintptr s) { ::closesocket(Socket(s)); }
inline void MakeNonBlocking(qintptr s)
{
    u_long on = 1;
    ::ioctlsocket(Socket(s), FIONBIO, &on);
}
#else
using Socket = int;
using Length = std::size_t;
inline constexpr int kNoSignal = MSG_NOSIGNAL;
inline int LastError() { return errno; }
inline bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }
inline bool Left(int error) { return error == EPIPE || error == ECONNRESET; }
inline bool Refused(int error) { return error == ECONNREFUSED; }  // a datagram nobody took
inline void Close(qintptr s) { ::close(Socket(s)); }
inline void MakeNonBlocking(qintptr s) { ::fcntl(Socket(s), F_SETFL, ::fcntl(Socket(s), F_GETFL) | O_NONBLOCK); }
#endif

// Bytes sent, or -1 with LastError() telling why.
inline long long Send(qintptr s, const char* data, std::size_t size)
{
    return ::send(Socket(s), data, Length(size), kNoSignal);
}

inline long long Receive(qintptr s, char* data, std::size_t size)
{
    return ::recv(Socket(s), data, Length(size), 0);
}

}  // namespace quilvex::native
