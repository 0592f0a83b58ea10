#pragma once

#include <QString>

// The shipped demo project as the window opens it: a copy of its folder (the project
// file and its samples) under userFolder, made on first use, so that saving never
// writes into the shipped data. The copy appears whole or not at all (it is made
// beside its place and renamed into it) and is reused, with the user's changes, from
// then on. Returns the copy's project file, or an empty string with error.
QString UserDemoProject(const QString& shippedProject, const QString& userFolder, QString* error);
