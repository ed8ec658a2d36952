// The program's version, written once: used by the version resource, the About box and the
// command-line tool. Plain macros, because the resource compiler reads this file too.
#pragma once

#define KELDARIN_FILE_VERSION 1, 0, 0, 1
#define KELDARIN_FILE_VERSION_TEXT "1, 0, 0, 1"
// The version that users see and quote.
#define KELDARIN_DISPLAY_VERSION "1.1"
#define KELDARIN_ABOUT_TEXT "Keldarin Version " KELDARIN_DISPLAY_VERSION
