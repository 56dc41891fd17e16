#pragma once

// Collects what the code under test writes to the process's standard output
// (printf included) while the object lives.

#include <QByteArray>
#include <QFile>
#include <QTemporaryFile>

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define MSGDESK_DUP _dup
#define MSGDESK_DUP2 _dup2
#define MSGDESK_CLOSE _close
#else
#include <unistd.h>
#define MSGDESK_DUP dup
#define MSGDESK_DUP2 dup2
#define MSGDESK_CLOSE close
#endif

class StdoutCapture
{
public:
    StdoutCapture()
    {
        m_file.open();
        std::fflush(stdout);
        m_saved = MSGDESK_DUP(1);
        MSGDESK_DUP2(m_file.handle(), 1);
    }
    ~StdoutCapture() { restore(); }

    QByteArray text()
    {
        restore();
        QFile in(m_file.fileName());
        in.open(QIODevice::ReadOnly);
        return in.readAll();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stdout);
        MSGDESK_DUP2(m_saved, 1);
        MSGDESK_CLOSE(m_saved);
        m_saved = -1;
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};
