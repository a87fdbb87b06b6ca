// The contents stamp (ContentsStamp) of a file already looked at, so that one look serves
// both the stamp and whatever else the caller wanted to know of the file.
#pragma once

#include <sys/stat.h>

#include <string>

std::string StampOf(const struct stat& st);
