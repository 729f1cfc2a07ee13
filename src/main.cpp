#include <cstdio>

int main() {
  std::puts("bhsim");
  return 0;
}
