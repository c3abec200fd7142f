// Writes a synthetic herd book of synthetic_pedigree.h as CSV for lapiro-coi:
//   make-pedigree FILE [PER_GENERATION [GENERATIONS]] [--mixed]   (default 50000 x 20)
// Herd-bound by default; --mixed writes the widely mixed shape.
#include "synthetic_pedigree.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  bool mixed = false;
  std::vector<const char*> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--mixed") == 0)
      mixed = true;
    else
      args.push_back(argv[i]);
  }
  if (args.empty()) {
    std::fprintf(stderr, "usage: make-pedigree FILE [PER_GENERATION [GENERATIONS]] [--mixed]\n");
    return 2;
  }
  const int per = args.size() > 1 ? std::atoi(args[1]) : 50000;
  const int gens = args.size() > 2 ? std::atoi(args[2]) : 20;
  if (per <= 0 || gens <= 0) {
    std::fprintf(stderr, "make-pedigree: PER_GENERATION and GENERATIONS must be positive\n");
    return 2;
  }
  const auto animals =
      mixed ? lapiro::bench::widelyMixedPedigree(per, gens) : lapiro::bench::syntheticPedigree(per, gens);
  FILE* f = std::fopen(args[0], "w");
  if (!f) return 1;
  std::fputs("id,sire,dam\n", f);
  for (const auto& a : animals)
    std::fprintf(f, "%lld,%lld,%lld\n", static_cast<long long>(a.id), static_cast<long long>(a.sire),
                 static_cast<long long>(a.dam));
  return std::fclose(f) == 0 ? 0 : 1;
}
