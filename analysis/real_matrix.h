// RealMatrix: the analysis layer's row-major matrix of doubles. Element
// (r, c), 1-based, is at data()[(r - 1) * cols() + (c - 1)].
//
// Indexing follows RealVector: operator()(r, c) with ints is 1-based and
// unchecked; selections by index vectors are checked (a position outside the
// matrix reads as NaN and is skipped when storing). Row and column numbers
// given as ints to the other operations are 1-based and checked: one outside
// the matrix selects nothing. Allocation is nothrow; a matrix whose
// allocation failed has 0 rows and 0 columns.
#pragma once

#include <cstddef>

#include "analysis/real_vector.h"

namespace vt::analysis {

class RealMatrix {
public:
  RealMatrix() noexcept = default;
  RealMatrix(int rows, int cols, Fill fill = Fill::zeros);
  RealMatrix(const RealMatrix& other);
  RealMatrix(RealMatrix&& other) noexcept;
  RealMatrix& operator=(const RealMatrix& other);
  RealMatrix& operator=(RealMatrix&& other) noexcept;
  ~RealMatrix();

  int rows() const { return rowCount; }
  int cols() const { return colCount; }
  int size() const { return rowCount * colCount; }
  bool empty() const { return size() == 0; }

  double* data() { return values; }
  const double* data() const { return values; }
  // The cols() elements of row r (1-based), unchecked.
  double* rowData(int r) { return values + static_cast<std::ptrdiff_t>(r - 1) * colCount; }
  const double* rowData(int r) const { return values + static_cast<std::ptrdiff_t>(r - 1) * colCount; }

  double& operator()(int r, int c) { return values[static_cast<std::ptrdiff_t>(r - 1) * colCount + (c - 1)]; }
  double operator()(int r, int c) const { return values[static_cast<std::ptrdiff_t>(r - 1) * colCount + (c - 1)]; }

  RealVector operator()(const RealVector& rowIdx, int c) const;                     // m(rows, j): a sub-column
  RealVector operator()(int r, const RealVector& colIdx) const;                     // m(i, cols): a sub-row
  RealMatrix operator()(const RealVector& rowIdx, const RealVector& colIdx) const;  // m(rows, cols)

  // m(rows, cols) = n: element (i, j) of n goes to (rowIdx(i), colIdx(j)) for
  // the i, j that both n and the index vectors have.
  void assign(const RealVector& rowIdx, const RealVector& colIdx, const RealMatrix& n);
  void assign(const RealVector& rowIdx, int c, const RealVector& w);  // m(rows, j) = w
  void assign(int r, const RealVector& colIdx, const RealVector& w);  // m(i, cols) = w

  // Makes the matrix rows x cols, every element set as fill says; re-uses the
  // buffer when it is large enough. False (and 0 x 0) when allocation fails.
  bool reset(int rows, int cols, Fill fill = Fill::zeros);
  bool resizeZeros(int rows, int cols) { return reset(rows, cols, Fill::zeros); }
  void fill(double x);

  // Row i / column j becomes v; elements beyond v's length are left as they were.
  void setRow(int i, const RealVector& v);
  void setColumn(int j, const RealVector& v);
  void removeRow(int i);
  void removeColumn(int j);

private:
  bool allocate(int rows, int cols);  // uninitialised storage

  double* values = nullptr;
  int rowCount = 0;
  int colCount = 0;
  std::ptrdiff_t capacity = 0;
};

RealMatrix zeros(int rows, int cols);
RealMatrix filled(Fill kind, int rows, int cols);

RealVector row(const RealMatrix& m, int i);     // a copy; empty when i is outside
RealVector column(const RealMatrix& m, int j);  // a copy; empty when j is outside
RealMatrix selectRows(const RealMatrix& m,
                      const RealVector& idx);  // rows named in idx, in that order (NaN rows for bad positions)
RealMatrix fromVector(const RealVector& v);    // 1 x n
RealMatrix transpose(const RealMatrix& m);
// m with the columns of n added on the right / the rows of n added below. An
// empty side gives a copy of the other; with mismatched shapes the result is m.
RealMatrix appendColumns(const RealMatrix& m, const RealMatrix& n);
RealMatrix appendRows(const RealMatrix& m, const RealMatrix& n);

RealMatrix operator*(double x, const RealMatrix& m);
RealMatrix operator*(const RealMatrix& m, double x);
RealMatrix operator/(const RealMatrix& m, double x);
RealMatrix operator+(const RealMatrix& m, double x);
RealMatrix operator-(const RealMatrix& m, double x);
RealMatrix operator-(const RealMatrix& m);

RealMatrix isNan(const RealMatrix& m);   // truth values 1.0 / 0.0
RealMatrix isZero(const RealMatrix& m);  // m == 0
// Element-wise over re's shape; im must have the same shape (else NaN).
RealMatrix magnitude(const RealMatrix& re, const RealMatrix& im);  // sqrt(re^2 + im^2)
RealMatrix phase(const RealMatrix& re, const RealMatrix& im);      // atan2(-im, re)

// Along each column, from row 2 down, adds or subtracts whole turns (2 pi) so
// that the difference to the element above lies within -pi..pi. A NaN or
// infinite element, or one below it, is left as it is.
RealMatrix unwrapRows(const RealMatrix& m);
void unwrapRowsInPlace(RealMatrix& m);

RealVector columnMax(const RealMatrix& m);  // -hugeValue for a column without a number
RealVector columnSum(const RealMatrix& m);
// The elements taken column by column (down each column, then the next),
// 1-based positions first..last of that sequence, limited to the matrix.
RealVector flattenColumns(const RealMatrix& m, int first, int last);

}  // namespace vt::analysis
