#pragma once
// Every failure the core reports derives from insel::Error; its message names what failed
// and where (file position, cell, file name and line).
#include <stdexcept>
#include <string>

namespace insel {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An index outside its array: a cell outside 0..1024, a position outside a buffer.
class BoundsError : public Error {
  public:
    using Error::Error;
};

// A value that does not fit where it must go: a 4-byte file value with its top bit set,
// a number too large for a file field.
class OverflowError : public Error {
  public:
    using Error::Error;
};

// A file that cannot be opened, read or written.
class FileError : public Error {
  public:
    using Error::Error;
};

// Content that cannot be understood: a malformed block, an unparsable definition line.
class FormatError : public Error {
  public:
    using Error::Error;
};

}  // namespace insel
