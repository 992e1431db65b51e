int main() { return 1; }  // (to be written)
