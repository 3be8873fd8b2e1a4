// Placeholder until the application shell lands.
int main(int, char**) { return 0; }
