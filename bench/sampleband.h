// The band of a frequency on the bands adifsample writes: stands in for the
// prefix library's band lookup in the import benchmarks.
#ifndef KESTREL_BENCH_SAMPLEBAND_H
#define KESTREL_BENCH_SAMPLEBAND_H

inline int sampleBand(double mhz) {
  static const double edges[][3] = {{1.8, 2.0, 160},   {3.5, 4.0, 80},       {7.0, 7.3, 40},
                                    {10.1, 10.15, 30}, {14.0, 14.35, 20},    {18.068, 18.168, 17},
                                    {21.0, 21.45, 15}, {24.89, 24.99, 12},   {28.0, 29.7, 10},
                                    {50.0, 54.0, 6},   {144.0, 148.0, 2}};
  for (const auto& e : edges)
    if (mhz >= e[0] && mhz <= e[1]) return static_cast<int>(e[2]);
  return 0;
}

#endif
