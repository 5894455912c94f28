/* A process that does nothing: the cost of starting any program on this machine. */
int main(void) {
  return 0;
}
