// UNDER_ADDRESS_SANITIZER is 1 in the checking build, whichever compiler made it: gcc tells it
// by __SANITIZE_ADDRESS__, clang only through __has_feature.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef UNDER_ADDRESS_SANITIZER
#define UNDER_ADDRESS_SANITIZER 0
#endif
