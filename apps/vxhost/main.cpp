#include <cstdio>
int main() { std::puts("vxhost: under construction"); return 0; }
