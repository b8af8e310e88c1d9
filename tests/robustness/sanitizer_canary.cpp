// Commits the one fault named on its command line. Built only with the sanitizers, whose
// report must end it with a failure status; returning 0 means the fault went unseen.
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

volatile int small = 2147483647;
volatile double huge = 1e300;
int* volatile lost = nullptr;

int signedOverflow() {
  const int sum = small + 1;
  return sum == 0 ? 1 : 0;
}

int floatToInt() {
  const int value = static_cast<int>(huge);
  return value == 1 ? 1 : 0;
}

int heapOverflow() {
  auto buffer = std::make_unique<int[]>(4);
  volatile int* p = buffer.get();
  return p[small - 2147483643] == 1 ? 1 : 0;  // index 4 of 4
}

int useAfterFree() {
  int* p = new int(7);
  delete p;
  return *static_cast<volatile int*>(p) == 1 ? 1 : 0;
}

// The only pointer to the block is overwritten before the program ends.
[[gnu::noinline]] void leak() {
  lost = new int[1000];
  lost = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const char* fault = argv[1];
  int seen = 2;
  if (std::strcmp(fault, "signed-overflow") == 0) seen = signedOverflow();
  if (std::strcmp(fault, "float-to-int") == 0) seen = floatToInt();
  if (std::strcmp(fault, "heap-overflow") == 0) seen = heapOverflow();
  if (std::strcmp(fault, "use-after-free") == 0) seen = useAfterFree();
  if (std::strcmp(fault, "leak") == 0) {
    leak();  // found when the program ends
    return 0;
  }
  if (seen != 2) std::printf("%s went unseen\n", fault);
  return seen == 2 ? 2 : 0;
}
