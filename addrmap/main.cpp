// addrmap <source_file_name> <alias_file_name>
//
// Compiles a text list of "alias == target" lines into the sorted binary
// alias file of the Corvane mail server (format in alias.h).
//
// Exit status: 1 with fewer than two arguments (the usage line is printed);
// 2 when the source cannot be opened or the alias file cannot be created;
// 0 otherwise, also when writing or sorting failed afterwards (a message
// says so).
#include <cstdio>

#include "alias.h"

int main(int argc, char** argv) { return addrmap::Run(argc, argv, stdout); }
