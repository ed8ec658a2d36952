// The program's version, written once: used by the version resource, the About box, the
// command-line tool and the release packages. Plain macros, because the resource compiler reads
// this file too. The file version and the version users see are two values by design.
#pragma once

#define KELDARIN_FILE_VERSION 1, 0, 0, 1
// The version that users see and quote.
#define KELDARIN_DISPLAY_VERSION "1.1"

#define KELDARIN_STRINGIZE_(...) #__VA_ARGS__
#define KELDARIN_STRINGIZE(...) KELDARIN_STRINGIZE_(__VA_ARGS__)
// "1, 0, 0, 1", as the version resource's strings spell it.
#define KELDARIN_FILE_VERSION_TEXT KELDARIN_STRINGIZE(KELDARIN_FILE_VERSION)
#define KELDARIN_ABOUT_TEXT "Keldarin Version " KELDARIN_DISPLAY_VERSION
