#include "gfx/cstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace ampliro {

CString::CString() : text_(new (std::nothrow) char[1]) {
    if (text_ != nullptr) text_[0] = '\0';
}

CString::CString(const char* text) {
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    text_ = new (std::nothrow) char[length + 1];
    if (text_ == nullptr) return;
    if (length > 0) std::memcpy(text_, text, length);
    text_[length] = '\0';
}

CString::~CString() {
    delete[] text_;
    delete[] wide_;
}

int CString::Reserve(size_t n) {
    delete[] text_;
    text_ = n < static_cast<size_t>(-1) ? new (std::nothrow) char[n + 1] : nullptr;
    if (text_ == nullptr) return 0;
    text_[0] = '\0';
    return 1;
}

int CString::Format(const char* format, ...) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kFormatLimit + 1]);
    if (!buffer || format == nullptr) return 0;
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer.get(), kFormatLimit + 1, format, args);
    va_end(args);
    if (written < 0) return 0;
    const size_t length =
        static_cast<size_t>(written) > kFormatLimit ? kFormatLimit : static_cast<size_t>(written);
    if (!Reserve(length)) return 0;
    std::memcpy(text_, buffer.get(), length);
    text_[length] = '\0';
    return 1;
}

const char16_t* CString::Wide() {
    delete[] wide_;
    wide_ = nullptr;
    if (text_ == nullptr) return nullptr;
    const size_t length = std::strlen(text_);
    wide_ = new (std::nothrow) char16_t[length + 1];
    if (wide_ == nullptr) return nullptr;
    for (size_t i = 0; i < length; ++i) wide_[i] = static_cast<unsigned char>(text_[i]);
    wide_[length] = u'\0';
    return wide_;
}

}  // namespace ampliro
