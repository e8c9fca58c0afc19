// RealVector: the analysis layer's vector of doubles, with the array-language
// operations the analysis stages are written in (ranges, index vectors,
// element-wise arithmetic and comparisons, reductions, a stable sort that
// also returns the permutation).
//
// Conventions shared with RealMatrix:
// - operator[] is 0-based and unchecked, for hot loops; operator() with an int
//   is 1-based and unchecked; operator() with a RealVector selects by an index
//   vector of 1-based positions stored as doubles, and is checked.
// - Index vectors may hold anything: a position outside 1..size (or NaN, or a
//   fraction's integer part outside that range) reads as NaN and is skipped
//   when storing, so a bad index never touches memory outside the vector.
// - Truth values are the doubles 1.0 and 0.0; NaN means "no value here".
// - Every operation that makes a vector allocates its result; allocation is
//   nothrow, and a vector whose allocation failed is empty (size 0).
#pragma once

#include <cstdint>
#include <initializer_list>

namespace vt::analysis {

// Maxima start from -hugeValue and minima from +hugeValue, so the maximum of
// an empty set is -1e308 and its minimum +1e308.
constexpr double hugeValue = 1e308;

// How a new vector or matrix is filled.
enum class Fill { zeros = 0, ones = 1, nan = 2 };

class RealVector {
public:
  RealVector() noexcept = default;
  explicit RealVector(int count, Fill fill = Fill::zeros);
  RealVector(std::initializer_list<double> values);
  RealVector(const RealVector& other);
  RealVector(RealVector&& other) noexcept;
  RealVector& operator=(const RealVector& other);
  RealVector& operator=(RealVector&& other) noexcept;
  ~RealVector();

  int size() const { return count; }
  bool empty() const { return count == 0; }

  double* data() { return values; }
  const double* data() const { return values; }
  double* begin() { return values; }
  double* end() { return values + count; }
  const double* begin() const { return values; }
  const double* end() const { return values + count; }

  double& operator[](int i) { return values[i]; }  // 0-based
  double operator[](int i) const { return values[i]; }
  double& operator()(int i) { return values[i - 1]; }  // 1-based
  double operator()(int i) const { return values[i - 1]; }

  // v(idx): the elements at the 1-based positions in idx (NaN for a position
  // outside the vector).
  RealVector operator()(const RealVector& idx) const;
  // v(idx) = w: stores w element-wise at the positions idx; pairs beyond the
  // shorter of idx and w, and positions outside the vector, are skipped.
  void assign(const RealVector& idx, const RealVector& w);
  void assign(const RealVector& idx, double x);  // every named position gets x

  // Makes the vector count elements long, all set as fill says; re-uses the
  // buffer when it is large enough. False (and empty) when allocation fails.
  bool reset(int count, Fill fill = Fill::zeros);
  // Makes the vector count elements long keeping the first elements; new
  // elements are 0. Re-uses the buffer when it is large enough.
  bool resize(int count);
  void fill(double x);

  RealVector& operator+=(const RealVector& w);  // element-wise over this vector's length
  RealVector& operator-=(const RealVector& w);
  RealVector& operator*=(const RealVector& w);
  RealVector& operator+=(double x);
  RealVector& operator-=(double x);
  RealVector& operator*=(double x);
  RealVector& operator/=(double x);

private:
  bool allocate(int count);  // uninitialised storage for count elements

  double* values = nullptr;
  int count = 0;
  int capacity = 0;
};

// Construction.
RealVector zeros(int n);
RealVector filled(Fill kind, int n);
RealVector range(int a, int b);            // a, a+1, ..., b; empty when b < a
RealVector range(int a, int step, int b);  // (b - a) / step + 1 elements (integer division); empty for step 0
RealVector fromFloats(const float* p, std::int64_t offset, int n);  // p[offset .. offset+n-1] as doubles

RealVector append(const RealVector& v, double x);
RealVector concat(const RealVector& v, const RealVector& w);

// Element-wise arithmetic. With two vectors the result has v's length; where
// w is shorter its missing elements count as NaN.
RealVector operator+(const RealVector& v, const RealVector& w);
RealVector operator-(const RealVector& v, const RealVector& w);
RealVector operator*(const RealVector& v, const RealVector& w);  // element-wise product
RealVector operator/(const RealVector& v, const RealVector& w);  // element-wise quotient
RealVector operator+(const RealVector& v, double x);
RealVector operator+(double x, const RealVector& v);
RealVector operator-(const RealVector& v, double x);
RealVector operator-(double x, const RealVector& v);
RealVector operator*(const RealVector& v, double x);
RealVector operator*(double x, const RealVector& v);
RealVector operator/(const RealVector& v, double x);
RealVector operator-(const RealVector& v);

// Element-wise truth values (1.0 / 0.0). Comparisons with NaN are false
// (notEqual: true). Vector-with-vector forms have v's length.
RealVector equal(const RealVector& v, double x);         // v == x
RealVector notEqual(const RealVector& v, double x);      // v != x
RealVector greater(const RealVector& v, double x);       // v > x
RealVector greaterEqual(const RealVector& v, double x);  // v >= x
RealVector lessEqual(const RealVector& v, double x);     // v <= x, i.e. x >= v
RealVector less(const RealVector& v, double x);          // v < x
RealVector greater(const RealVector& v, const RealVector& w);
RealVector greaterEqual(const RealVector& v, const RealVector& w);
RealVector isZero(const RealVector& v);                            // v == 0
RealVector bothNonZero(const RealVector& v, const RealVector& w);  // v != 0 and w != 0 (missing w counts as 0)
RealVector isNan(const RealVector& v);

// The 1-based positions of the non-zero elements, in order (NaN counts as non-zero).
RealVector find(const RealVector& v);

// Element-wise functions.
RealVector abs(const RealVector& v);
RealVector log(const RealVector& v);  // natural logarithm
RealVector exp(const RealVector& v);
RealVector cos(const RealVector& v);
RealVector floor(const RealVector& v);
RealVector magnitude(const RealVector& re, const RealVector& im);  // sqrt(re^2 + im^2), re's length
RealVector phase(const RealVector& re, const RealVector& im);      // atan2(-im, re), re's length

// Reductions. NaN elements never win a maximum or minimum; sum adds them.
double sum(const RealVector& v);               // 0 for an empty vector
double max(const RealVector& v);               // -hugeValue for an empty vector
double min(const RealVector& v);               // +hugeValue for an empty vector
bool contains(const RealVector& v, double x);  // some element equals x exactly

// Ascending sort that keeps equal elements in their order. order holds the
// 1-based positions the sorted elements had before sorting. The result is
// that of sorting by swapping adjacent pairs while left > right: a NaN never
// moves and no element passes one, so each NaN-free stretch is sorted on its own.
struct SortResult {
  RealVector sorted;
  RealVector order;
};
SortResult sortAscending(const RealVector& v);

// The vector rotated left by ceil(n / 2): elements ceil(n/2)+1 .. n, then
// 1 .. ceil(n/2) (the zero-phase shift of a frame before its transform).
RealVector rotateHalf(const RealVector& v);

}  // namespace vt::analysis
