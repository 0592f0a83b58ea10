#pragma once

#include <exception>

namespace NCommon {

// Runs work and keeps what it throws from going further: failed is called with the
// exception's what(), or with a null pointer for an exception not derived from
// std::exception. Returns whether work finished without throwing.
template <class Work, class Failed>
bool RunGuarded(Work&& work, Failed&& failed)
{
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        failed(error.what());
    } catch (...) {
        failed(static_cast<const char*>(nullptr));
    }
    return false;
}

} // namespace NCommon
