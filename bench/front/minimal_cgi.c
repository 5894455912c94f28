/* The smallest useful CGI program: one header and a body. The yardstick for webcgi. */
#include <stdio.h>

int main(void) {
  fputs("Content-type: text/plain\r\n\r\nOK", stdout);
  return 0;
}
