#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "win32/services/Win32Handles.h"

namespace quibrant::win32 {

// A text stream over an open file; lines end with CR LF, LF or a lone CR.
std::unique_ptr<platform::TextStream> makeTextStream(UniqueHandle file, std::string path);

// Raw bytes gathered in a buffer and written in large pieces.
std::unique_ptr<platform::BinaryFile> makeBinaryFile(UniqueHandle file, std::string path);

}  // namespace quibrant::win32
