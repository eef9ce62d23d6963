// Program entry of snipola-cli.
#include <cstdio>

int main() {
  std::puts("snipola-cli");
  return 0;
}
