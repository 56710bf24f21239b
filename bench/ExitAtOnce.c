/* The start-up the benchmark compares Morvelle's with: a C program that
   does nothing. */
int main(void) { return 0; }
