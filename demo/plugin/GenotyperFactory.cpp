// The factory is all in its header; this file gives it to the module (and to moc).
#include "demo/plugin/GenotyperFactory.h"
