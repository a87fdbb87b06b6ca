// The version record 1.0.0.1.
#include "version_info.h"

const VersionRecord kVersionRecord{
    {1, 0, 0, 1},
    {1, 0, 0, 1},
    0x3F,
    0x1,
    0x4,
    0x1,
    0,
    "040904e4",
    {
        "Quillmar authors",
        "Quillmar: backs up the files you choose",
        "1.0.0.1",
        "Quillmar.exe",
        "Free to use at your own risk",
        "Quillmar.exe",
        "Quillmar",
        "1.0.0.1",
    },
    0x0409,
    1252,
};
