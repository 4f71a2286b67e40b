// The main-window test fixtures of the shell's tests, built into this binary too.
#include "shell/MainTestSupport.cpp"
#include "shell/DocumentTestSupport.cpp"
