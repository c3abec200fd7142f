// Writes the synthetic herd book of synthetic_pedigree.h as CSV for lapiro-coi:
//   make-pedigree FILE [ANIMALS_PER_GENERATION [GENERATIONS]]   (default 50000 x 20)
#include "synthetic_pedigree.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make-pedigree FILE [PER_GENERATION [GENERATIONS]]\n");
    return 2;
  }
  const int per = argc > 2 ? std::atoi(argv[2]) : 50000;
  const int gens = argc > 3 ? std::atoi(argv[3]) : 20;
  const auto animals = lapiro::bench::syntheticPedigree(per, gens);
  FILE* f = std::fopen(argv[1], "w");
  if (!f) return 1;
  std::fputs("id,sire,dam\n", f);
  for (const auto& a : animals)
    std::fprintf(f, "%lld,%lld,%lld\n", static_cast<long long>(a.id), static_cast<long long>(a.sire),
                 static_cast<long long>(a.dam));
  return std::fclose(f) == 0 ? 0 : 1;
}
