#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What every fuzz target needs: Qt started once, a private temporary folder for the
// files the readers take, and a way to stop with a message when a property fails.
namespace NFuzz {

// Starts Qt once for the whole run: a QApplication on the offscreen platform when
// widgets is set, else a QCoreApplication. Qt's own messages are dropped (the readers
// warn about every bad input, which would drown the fuzzer's output); fatal ones still end
// the run.
void InitQt(bool widgets);

// The folder of this run below the system's temporary folder ($TMPDIR), removed at
// a normal exit.
QString WorkFolder();

// Replaces WorkFolder()/name with the bytes and returns its path.
QString WriteInput(const QString& name, const std::uint8_t* data, std::size_t size);
QString WriteInput(const QString& name, const QByteArray& data);

// Ends the run as a crash (libFuzzer saves the input) after printing what failed.
[[noreturn]] void Fail(const char* what, const QString& detail = QString());

} // namespace NFuzz
