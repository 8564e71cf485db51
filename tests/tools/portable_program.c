/* A program built the way the menu program on a disc must be: nothing from the
   host but the C library, stripped. The disc check's tests put it at a disc's root
   where the menu goes. */
#include <stdio.h>

int main(int argc, char** argv) {
    (void)argv;
    printf("%d\n", argc);
    return 0;
}
