#include "net/ListenerLife.h"

void ListenerLife::CloseSockets(SocketApi& sockets)
{
    if (TakeAndCloseSocket(sockets, m_listenSocket)) {
        m_libraryToRelease = true;
    }
    TakeAndCloseSocket(sockets, m_connectionSocket);
}

void ListenerLife::ReleaseSocketsLibrary(SocketApi& sockets)
{
    if (m_libraryToRelease) {
        m_libraryToRelease = false;
        sockets.WSACleanup();
    }
}
