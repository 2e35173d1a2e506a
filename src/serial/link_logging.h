#pragma once

#include <QLoggingCategory>

// Link tracing for field diagnosis, off by default; QT_LOGGING_RULES switches it on, for
// example "voltrane.link*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcLink)       // "voltrane.link": port and link events
Q_DECLARE_LOGGING_CATEGORY(lcLinkFrames) // "voltrane.link.frames": hex dump of every block
