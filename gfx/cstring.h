// CString: an owned 8-bit text with a UTF-16 copy made on demand for the
// platform calls that take wide strings.
#pragma once

#include <cstddef>

namespace ampliro {

class CString {
  public:
    // A format result holds up to this many characters.
    static constexpr size_t kFormatLimit = 8256;

    CString();
    explicit CString(const char* text);
    CString(const CString&) = delete;
    CString& operator=(const CString&) = delete;
    virtual ~CString();

    // Replaces the text by an empty one with room for n characters; 1, or 0
    // when the allocation fails (the text is then null).
    int Reserve(size_t n);
    // printf-style; on success the text is the result, cut at kFormatLimit
    // characters. 1, or 0 with the text unchanged when formatting fails.
    int Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A fresh UTF-16 copy of the text, each byte taken as Latin-1 (the
    // program's texts are ASCII); owned by the string until the next call.
    // Null when the text is null or the copy cannot be allocated.
    const char16_t* Wide();

    // Null only after a failed allocation.
    const char* Text() const { return text_; }
    char* Text() { return text_; }

  private:
    char* text_ = nullptr;
    char16_t* wide_ = nullptr;
};

}  // namespace ampliro
