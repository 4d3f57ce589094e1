#include <cstdio>

#include "stand_in.h"

int main(int argc, char** argv) { return cg_host::RunHost(argc, argv, stdout, stderr); }
