// SilentPrinter.h - a printer that is there but never answers: a loopback
// socket that accepts every connection and holds it open without a word, as
// a printer that hangs does. A deterministic stand-in for a silent printer
// on the network (tests and benchmarks use loopback addresses only).
//
// Include <winsock2.h> before <windows.h>; link ws2_32.
#pragma once

#include <winsock2.h>

#include <string>
#include <vector>

class SilentPrinter
{
public:
    SilentPrinter() : m_listener(INVALID_SOCKET), m_port(0), m_thread(NULL)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        InitializeCriticalSection(&m_lock);
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (m_listener != INVALID_SOCKET
            && bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
            && listen(m_listener, SOMAXCONN) == 0
            && getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            m_port = ntohs(address.sin_port);
            m_thread = CreateThread(NULL, 0, AcceptLoop, this, 0, NULL);
        }
    }

    ~SilentPrinter()
    {
        if (m_listener != INVALID_SOCKET)
            closesocket(m_listener);   // ends the accept loop
        if (m_thread != NULL) {
            WaitForSingleObject(m_thread, 5000);
            CloseHandle(m_thread);
        }
        for (size_t i = 0; i < m_held.size(); ++i)
            closesocket(m_held[i]);
        DeleteCriticalSection(&m_lock);
        WSACleanup();
    }

    unsigned short Port() const { return m_port; }
    std::string Uri() const { return "ipp://127.0.0.1:" + std::to_string(m_port) + "/ipp/print"; }
    // Connections taken so far.
    size_t Connections()
    {
        EnterCriticalSection(&m_lock);
        const size_t count = m_held.size();
        LeaveCriticalSection(&m_lock);
        return count;
    }

private:
    SilentPrinter(const SilentPrinter&);
    SilentPrinter& operator=(const SilentPrinter&);

    static DWORD WINAPI AcceptLoop(void* parameter)
    {
        SilentPrinter* printer = static_cast<SilentPrinter*>(parameter);
        for (;;) {
            SOCKET connection = accept(printer->m_listener, NULL, NULL);
            if (connection == INVALID_SOCKET)
                return 0;
            EnterCriticalSection(&printer->m_lock);
            printer->m_held.push_back(connection);
            LeaveCriticalSection(&printer->m_lock);
        }
    }

    SOCKET m_listener;
    unsigned short m_port;
    HANDLE m_thread;
    CRITICAL_SECTION m_lock;
    std::vector<SOCKET> m_held;
};

// A port on 127.0.0.1 that nobody listens on (bound once, then closed): a
// printer that is switched off.
inline unsigned short ClosedLoopbackPort()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    unsigned short port = 0;
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
        && getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (s != INVALID_SOCKET)
        closesocket(s);
    WSACleanup();
    return port;
}
