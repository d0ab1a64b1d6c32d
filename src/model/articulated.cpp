#include "model/articulated.hpp"

namespace kinetra::articulated {

Matrix body_matrix(const Inertia& inertia) {
  const double m = inertia.mass();
  const Vector3D& c = inertia.com();
  const Symmetric3 rotational = inertia.inertia() - m * Symmetric3::skew_square(c);
  const Vector3D h = c * m;
  // m [c]x, row by row; column j of the lower-left block m [c]x^T is row j of it
  const double mc[3][3] = {{0.0, -h[2], h[1]}, {h[2], 0.0, -h[0]}, {-h[1], h[0], 0.0}};
  Matrix out;
  for (std::size_t j = 0; j < 3; ++j) {
    out.col[j].top = Vec{rotational(0, j), rotational(1, j), rotational(2, j), 0.0};
    out.col[j].bottom = Vec{mc[j][0], mc[j][1], mc[j][2], 0.0};
    out.col[j + 3].top = Vec{mc[0][j], mc[1][j], mc[2][j], 0.0};
    out.col[j + 3].bottom = Vec{j == 0 ? m : 0.0, j == 1 ? m : 0.0, j == 2 ? m : 0.0, 0.0};
  }
  return out;
}

}  // namespace kinetra::articulated
