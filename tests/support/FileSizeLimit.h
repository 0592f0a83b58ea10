#pragma once

#include <csignal>

#include <sys/resource.h>

// Lowers the soft file size limit of this process, so that a write past it fails
// with EFBIG (a full disk, as a save meets it) instead of SIGXFSZ ending the test;
// the limit and the signal's handling come back at scope exit.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
        : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        if (getrlimit(RLIMIT_FSIZE, &m_previous) != 0)
            return;
        rlimit lowered = m_previous;
        lowered.rlim_cur = bytes;
        m_bActive = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~CFileSizeLimit()
    {
        if (m_bActive)
            setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

    bool active() const { return m_bActive; }

private:
    void (*m_previousHandler)(int);
    rlimit m_previous {};
    bool m_bActive = false;
};
