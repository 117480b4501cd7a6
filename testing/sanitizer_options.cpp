// Hostile files make the viewer ask for huge blocks on purpose, and the code
// must see the null that a real allocator returns, not a sanitizer abort.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VL_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(VL_ASAN)
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:detect_leaks=1"; }
#endif
