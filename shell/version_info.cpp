// The version record, its numbers taken from the project's one version.
#include "version_info.h"

#include "version_number.h"

const VersionRecord kVersionRecord{
    kVersionNumbers,
    kVersionNumbers,
    0x3F,
    0x0,
    0x4,
    0x1,
    0,
    "040904e4",
    {
        "Quillmar authors",
        "Quillmar: backs up the files you choose",
        kVersionText,
        "quillmar.exe",
        "Free to use at your own risk",
        "quillmar.exe",
        "Quillmar",
        kVersionText,
    },
    0x0409,
    1252,
};
