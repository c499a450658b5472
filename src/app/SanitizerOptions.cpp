// Run-time defaults of the AddressSanitizer builds, linked into every executable that can
// load the GL driver (the game and the tests); settings in ASAN_OPTIONS still take precedence.
//
// NOTE: intercept_tls_get_addr=0. With it on, this toolchain's runtime (GCC 12) guesses the
// bounds of each dynamic TLS block from a header that this glibc does not write: when the block
// (for example libLLVM's, once the fixed-function vertex path runs on the main thread) lands
// 16 bytes past a page boundary, it takes the allocator's chunk header for that header and
// records a range like 0x1023-0x1800002125. The leak check at exit then scans it and its
// tracer dies of SIGSEGV ("Tracer caught signal 11"), about one run in six. Turned off, the
// blocks are ordinary heap chunks reached through each thread's dtv, so no root is lost.
#if defined(__SANITIZE_ADDRESS__)
#define VOLK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VOLK_ASAN 1
#endif
#endif

#ifdef VOLK_ASAN
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
#endif
