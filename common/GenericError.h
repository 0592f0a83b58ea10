#pragma once

#include <string>

namespace NCommon {

// An exception of the host's common code: a Base exception (std::exception or one
// derived from it) carrying a message text and an error code of the thrower's own
// enumeration. The message is copied, so the exception owns everything it reports.
template <class Base, class Code>
class XGenericError : public Base
{
public:
    XGenericError(const char* message, Code code)
        : m_sMessage(message ? message : "")
        , m_code(code)
    {
    }

    const char* what() const noexcept override { return m_sMessage.c_str(); }

    Code code() const noexcept { return m_code; }

private:
    std::string m_sMessage;
    Code m_code;
};

} // namespace NCommon
