#include "serial/link_logging.h"

Q_LOGGING_CATEGORY(lcLink, "voltrane.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLinkFrames, "voltrane.link.frames", QtWarningMsg)
