#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant stops the fuzzer (and the corpus replay) on the input at hand, with the
// condition's text so the finding says what broke.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond);      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

inline QByteArray fuzzBytes(const uint8_t* bytes, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(size));
}
