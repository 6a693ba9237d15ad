"""Measurement library: caliper edge search along lines and arcs, circle and line fitting, geometric primitives and curve peak/valley search.

Coordinates are image pixels, x to the right, y downwards; angles are degrees measured with atan2(dy, dx), so they grow clockwise on screen. Points go in as (x, y) pairs or (N, 2) array-likes of real numbers and come out as (x, y) tuples or (N, 2) float32 arrays. Searches and fits run without the interpreter lock, so fits on several threads run in parallel."""
from typing import Any, Callable, ClassVar, Dict, Iterable, Iterator, List, Optional, Sequence, SupportsIndex, Tuple, overload

import numpy
import numpy.typing
import TivraModule

def normalizeAngle(a: float) -> float:
    """Angle in degrees brought into [0, 360] by adding or subtracting 360: 360 stays 360, -360 becomes 0, 725 becomes 5. A non-finite angle gives NaN."""

def calculatepoint2pointAngle(p1: Any, p2: Any) -> float:
    """Direction from p1 to p2 in degrees, in [0, 360], measured with atan2(dy, dx) in image coordinates (y down): (0, 0) to (0, 1) is 90, downwards on screen."""

def calculate3pointsAngle(a: Any, vertex: Any, c: Any) -> float:
    """Signed angle in degrees at vertex from the ray towards a to the ray towards c, in [-180, 180]; positive when the turn is clockwise on screen, 0 when either ray has zero length."""

def calculateline2HorizontalAngle(p1: Any, p2: Any) -> float:
    """Direction from p2 to p1 in degrees, in [-180, 180]."""

def calculateline2lineAngle(a1: Any, a2: Any, b1: Any, b2: Any) -> float:
    """Direction of a2->a1 minus direction of b2->b1 in degrees, each taken in [0, 360); range (-360, 360)."""

def convertToCounterClockwiseAngles(start: float, end: float) -> tuple:
    """Mirrors a sweep (start, end) in degrees into the counter-clockwise convention and returns the new (start, end): 30, 90 becomes 270, 330."""

def convertToClockwiseAngles(start: float, end: float) -> tuple:
    """Mirrors a sweep (start, end) in degrees back into the clockwise convention and returns the new (start, end); a sweep through 0 may start below 0."""

def pointOnCircle(centre: Any, radius: float, angle: float) -> tuple:
    """Integer pixel (x, y) at angle degrees on the circle (clockwise on screen), each coordinate truncated toward zero."""

def rotatePoint(p: Any, centre: Any, angle: float) -> tuple:
    """p turned about centre by angle degrees (a positive angle turns clockwise on screen), as (x, y)."""

@overload
def point2pointDistance(p1: Any, p2: Any) -> float:
    """Euclidean distance between two points, in pixels."""
@overload
def point2pointDistance(x1: float, y1: float, x2: float, y2: float) -> float:
    """Euclidean distance between (x1, y1) and (x2, y2), computed in double precision."""

def calcuMidPointAndDistance(p1: Any, p2: Any) -> tuple:
    """Midpoint of p1p2 and its length: ((x, y), distance)."""

def point2LineDistance(l1: Any, l2: Any, p: Any) -> float:
    """Signed distance of p from the infinite line l1->l2; negative when p lies clockwise of the direction on screen, 0 when l1 equals l2."""

def Point2LineDistanceAndPoint(l1: Any, l2: Any, p: Any) -> tuple:
    """Distance of p from the infinite line l1l2 and the foot of the perpendicular: (distance, (x, y)). For l1 = l2 the foot is l1."""

def point2LineSegmentDistance(a: Any, b: Any, p: Any) -> float:
    """Distance of p from the segment ab (to a when a = b)."""

@overload
def pointToCircleEdgeDistance(p: Any, centre: Any, r: float) -> float:
    """|distance(p, centre) - r|."""
@overload
def pointToCircleEdgeDistance(px: float, py: float, cx: float, cy: float, r: float) -> float:
    """|distance((px, py), (cx, cy)) - r|, in double precision."""

def pointToAnnulusEdgeDistance(px: float, py: float, centre: Any, rOuter: float, rInner: float, start: float, end: float) -> float:
    """Distance of (px, py) from the edge of the annulus sector around the integer pixel centre between rInner and rOuter, swept from start to end degrees (clockwise on screen); 0 inside the sector."""

def pointLineDistance(p: Any, line: Any) -> float:
    """Distance of p from a line (vx, vy, x0, y0) as cv::fitLine gives it; the direction need not be unit length."""

def pointToLineDistance(p: Any, line: Any) -> float:
    """Distance of p from a line (vx, vy, x0, y0) whose direction has unit length."""

def pointToLinearCurveDistance(p: Any, curve: Any, valid: float) -> float:
    """Distance of p from the linear curve (k, b), y = k*x + b; an infinite k is the vertical line x = b. 0 when valid is 0."""

def createLineFromTwoPoints(p1: Any, p2: Any) -> tuple:
    """Line (vx, vy, x0, y0) through p1 and p2 with a unit direction from p1 to p2. Equal points give a NaN direction; lineFromTwoPoints reports them instead."""

def lineFromTwoPoints(p1: Any, p2: Any) -> Any:
    """Line (vx, vy, x0, y0) through p1 and p2, or None when they coincide."""

def getLineSegmentIntersection(p1: Any, p2: Any, p3: Any, p4: Any) -> Any:
    """Intersection (x, y) of the segments p1p2 and p3p4, ends included; None when they do not meet or are parallel."""

def getLine2LineSegmentIntersection(l1: Any, l2: Any, s1: Any, s2: Any) -> Any:
    """Intersection (x, y) of the infinite line l1l2 with the segment s1s2, ends included; None when there is none."""

def getLineIntersection(a1: Any, a2: Any, b1: Any, b2: Any) -> Any:
    """Intersection (x, y) of the infinite lines a1a2 and b1b2; None when they are parallel."""

def calcBisectoroftwolines(a1: Any, a2: Any, b1: Any, b2: Any) -> Any:
    """Bisector of the lines a1a2 and b1b2 in point form (x0, y0, vx, vy); for parallel lines the mid line between them. None when a line has zero length."""

def calcBisectorBoundaryIntersections(line: Any, width: SupportsIndex, height: SupportsIndex) -> numpy.typing.NDArray[numpy.float32]:
    """Points, as an (N, 2) float32 array, where a point-form line (x0, y0, vx, vy) crosses x = 0, x = width, y = 0 and y = height, in that order (bounds inclusive; a corner may appear twice)."""

def circleFromThreePoints(p1: Any, p2: Any, p3: Any) -> Any:
    """Circle (cx, cy, r) through three points; None when they are (nearly) collinear."""

def calculateEquidistantPoints(p1: Any, p2: Any, spacing: float) -> numpy.typing.NDArray[numpy.float32]:
    """n + 1 points from p1 to p2 as an (N, 2) float32 array, n = trunc(|p1p2| / spacing), coordinates truncated toward zero. Empty when spacing is not positive."""

def calcPolygonCenter(poly: Any) -> tuple:
    """Area centroid (x, y) of a polygon given as (N, 2) vertices; (-1, -1) for fewer than three. Raises RuntimeError "The polygon has zero area." for a degenerate polygon."""

def findBoundingBox(pts: Any) -> tuple:
    """(x, y, width, height) from the rounded minimum to the rounded maximum corner of the points (no +1); (0, 0, 0, 0) for no points."""

def isRectInMat(r: tuple, m: numpy.typing.NDArray[numpy.uint8]) -> bool:
    """True when the rectangle (x, y, width, height) lies wholly inside image m."""

def getValidRect(r: tuple, m: numpy.typing.NDArray[numpy.uint8]) -> tuple:
    """The rectangle (x, y, width, height) clipped to image m. A rectangle wholly outside gives a zero or negative width or height."""

def findEdgePoint(img: numpy.typing.NDArray[numpy.uint8], threshold: SupportsIndex, polarity: SupportsIndex, kernelSize: SupportsIndex, p1: Any, p2: Any, connectivity: SupportsIndex = ..., with_profile: bool = ...) -> Any:
    """First (polarity 3: strongest) edge along the line p1->p2 at a whole pixel: ((x, y), index), index being the sample along the walk, or None when there is none. The kernel trails each sample (with kernel size 2 a dark-to-bright step reports its first bright pixel); kernel sizes 10 to 15 use the size-3 kernel. With with_profile=True the kernel is centred on each sample and the result is (edge or None, profile, response): the sampled intensities and the step response, 1-D float64 arrays of one value per visited pixel (the response 0 where the kernel does not fit).

    img: uint8 image, (h, w), (h, w, 1), (h, w, 3) or (h, w, 4); a three-channel pixel counts as the mean of B, G and R. threshold: minimum step response (the kernel is -1 ... [0] ... +1 over kernelSize samples, so a step of height s gives about s * kernelSize / 2). polarity: 0 either direction, 1 rising (dark to bright along the search), 2 falling, 3 the strongest response of either direction. kernelSize: 2 to 15 (smaller values act as 2, larger as 15). connectivity: 4 or 8, the pixel walk from p1 to p2 (pixel positions, finite, rounded to whole pixels)."""

def findEdgePoint_subPixel(img: numpy.typing.NDArray[numpy.uint8], threshold: SupportsIndex, polarity: SupportsIndex, kernelSize: SupportsIndex, p1: Any, p2: Any, connectivity: SupportsIndex = ..., with_profile: bool = ...) -> Any:
    """Sub-pixel edge along p1->p2: the response peak of the first edge passing the threshold (polarity 3: the strongest), refined by a parabola through the neighbouring responses. Returns ((x, y), index) or None; with with_profile=True, (edge or None, profile, response) as findEdgePoint gives them.

    img: uint8 image, (h, w), (h, w, 1), (h, w, 3) or (h, w, 4); a three-channel pixel counts as the mean of B, G and R. threshold: minimum step response (the kernel is -1 ... [0] ... +1 over kernelSize samples, so a step of height s gives about s * kernelSize / 2). polarity: 0 either direction, 1 rising (dark to bright along the search), 2 falling, 3 the strongest response of either direction. kernelSize: 2 to 15 (smaller values act as 2, larger as 15). connectivity: 4 or 8, the pixel walk from p1 to p2 (pixel positions, finite, rounded to whole pixels)."""

def findArcEdgePoint(img: numpy.typing.NDArray[numpy.uint8], threshold: SupportsIndex, polarity: SupportsIndex, kernelSize: SupportsIndex, arc: Any) -> Any:
    """Edge along an arc given as an (N, 2) array of sample points (rounded to the nearest pixel; points outside the image sample 0): ((x, y), index) with the arc point exactly as given, or None when there is none or the arc is empty. connectivity does not apply.

    img: uint8 image, (h, w), (h, w, 1), (h, w, 3) or (h, w, 4); a three-channel pixel counts as the mean of B, G and R. threshold: minimum step response (the kernel is -1 ... [0] ... +1 over kernelSize samples, so a step of height s gives about s * kernelSize / 2). polarity: 0 either direction, 1 rising (dark to bright along the search), 2 falling, 3 the strongest response of either direction. kernelSize: 2 to 15 (smaller values act as 2, larger as 15). connectivity: 4 or 8, the pixel walk from p1 to p2 (pixel positions, finite, rounded to whole pixels)."""

def findArcEdgePoint_subPixel(img: numpy.typing.NDArray[numpy.uint8], threshold: SupportsIndex, polarity: SupportsIndex, kernelSize: SupportsIndex, arc: Any) -> Any:
    """As findArcEdgePoint, the position interpolated between neighbouring arc points: ((x, y), index) or None.

    img: uint8 image, (h, w), (h, w, 1), (h, w, 3) or (h, w, 4); a three-channel pixel counts as the mean of B, G and R. threshold: minimum step response (the kernel is -1 ... [0] ... +1 over kernelSize samples, so a step of height s gives about s * kernelSize / 2). polarity: 0 either direction, 1 rising (dark to bright along the search), 2 falling, 3 the strongest response of either direction. kernelSize: 2 to 15 (smaller values act as 2, larger as 15). connectivity: 4 or 8, the pixel walk from p1 to p2 (pixel positions, finite, rounded to whole pixels)."""

def findAllEdgePoints(img: numpy.typing.NDArray[numpy.uint8], threshold: SupportsIndex, polarity: SupportsIndex, kernelSize: SupportsIndex, p1: Any, p2: Any, connectivity: SupportsIndex = ...) -> numpy.typing.NDArray[numpy.float32]:
    """Every edge along p1->p2 in order from p1, at whole pixels, as an (N, 2) float32 array (empty when there is none).

    img: uint8 image, (h, w), (h, w, 1), (h, w, 3) or (h, w, 4); a three-channel pixel counts as the mean of B, G and R. threshold: minimum step response (the kernel is -1 ... [0] ... +1 over kernelSize samples, so a step of height s gives about s * kernelSize / 2). polarity: 0 either direction, 1 rising (dark to bright along the search), 2 falling, 3 the strongest response of either direction. kernelSize: 2 to 15 (smaller values act as 2, larger as 15). connectivity: 4 or 8, the pixel walk from p1 to p2 (pixel positions, finite, rounded to whole pixels)."""

def findAllEdgePoints_subPixel(img: numpy.typing.NDArray[numpy.uint8], threshold: SupportsIndex, polarity: SupportsIndex, kernelSize: SupportsIndex, p1: Any, p2: Any, connectivity: SupportsIndex = ...) -> numpy.typing.NDArray[numpy.float32]:
    """Every local response peak along p1->p2 passing the threshold, with sub-pixel positions, as an (N, 2) float32 array; peaks closer than kernelSize to the previous one are dropped. Polarity 3 finds nothing here.

    img: uint8 image, (h, w), (h, w, 1), (h, w, 3) or (h, w, 4); a three-channel pixel counts as the mean of B, G and R. threshold: minimum step response (the kernel is -1 ... [0] ... +1 over kernelSize samples, so a step of height s gives about s * kernelSize / 2). polarity: 0 either direction, 1 rising (dark to bright along the search), 2 falling, 3 the strongest response of either direction. kernelSize: 2 to 15 (smaller values act as 2, larger as 15). connectivity: 4 or 8, the pixel walk from p1 to p2 (pixel positions, finite, rounded to whole pixels)."""

def fitCircleRANSAC(points: Any, maxIterations: SupportsIndex, inlierThreshold: float, minRadius: float = ..., maxRadius: float = ...) -> Any:
    """Plain RANSAC on three-point circles (at most min(N, maxIterations) samples); the result is the best three-point circle by inlier count, unrefined. Draws from the C library's rand() after srand(0), which resets the process's rand() sequence.

    points: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. Sampling is seeded on every call, so the same points give the same circle.
    Returns (cx, cy, r), or None when no circle is found."""

def fitCircleRANSAC2(points: Any, maxIterations: SupportsIndex, inlierThreshold: float, minRadius: float = ..., maxRadius: float = ...) -> Any:
    """RANSAC with three distinct points per sample and a moment fit on the best inliers. Draws from the C library's rand() after srand(0), which resets the process's rand() sequence.

    points: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. Sampling is seeded on every call, so the same points give the same circle.
    Returns (cx, cy, r), or None when no circle is found."""

def fitCircleUSAC(points: Any, maxIterations: SupportsIndex, inlierThreshold: float, minRadius: float = ..., maxRadius: float = ...) -> Any:
    """RANSAC with shuffled samples and an adaptive iteration bound at 99 % confidence; the minimum enclosing circle of the best inliers when it agrees with the sampled circle.

    points: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. Sampling is seeded on every call, so the same points give the same circle.
    Returns (cx, cy, r), or None when no circle is found."""

def fitCircleChatGPT(points: Any, maxIterations: SupportsIndex, inlierThreshold: float, minRadius: float = ..., maxRadius: float = ...) -> Any:
    """MSAC: the three-point circle with the lowest truncated quadratic cost, unrefined. Bounds swap when both are positive and minRadius > maxRadius.

    points: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. Sampling is seeded on every call, so the same points give the same circle.
    Returns (cx, cy, r), or None when no circle is found."""

def fitCircleChatGPTv2(points: Any, maxIterations: SupportsIndex, inlierThreshold: float, minRadius: float = ..., maxRadius: float = ...) -> Any:
    """MSAC whose threshold and iteration count adapt to the angular coverage of the points (short arcs get a tighter threshold and more iterations); the best candidates are re-estimated geometrically from their inliers.

    points: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. Sampling is seeded on every call, so the same points give the same circle.
    Returns (cx, cy, r), or None when no circle is found."""

def fitCircleGeminiPro(points: Any, maxIterations: SupportsIndex, inlierThreshold: float, minRadius: float = ..., maxRadius: float = ...) -> Any:
    """Stratified RANSAC (one sample point from each third of the list), stopping early above 95 % inliers, then least squares and a geometric refinement on the inliers.

    points: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. Sampling is seeded on every call, so the same points give the same circle.
    Returns (cx, cy, r), or None when no circle is found."""

def fitCircleGeminiUltra(points: Any, maxIterations: SupportsIndex, inlierThreshold: float, minRadius: float = ..., maxRadius: float = ...) -> Any:
    """Locally optimised MSAC with an adaptive iteration bound, finished by a damped (Levenberg-Marquardt) geometric fit on the inliers. The fitter to pick for edge points with outliers.

    points: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. Sampling is seeded on every call, so the same points give the same circle.
    Returns (cx, cy, r), or None when no circle is found."""

def fitCircleClaudeOpus45(points: Any, maxIterations: SupportsIndex, inlierThreshold: float, minRadius: float = ..., maxRadius: float = ...) -> Any:
    """MSAC with stratified sampling; every candidate is refined (least squares, geometric fit, tighter inlier set, geometric fit again) and the refined circle with the lowest cost wins.

    points: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. Sampling is seeded on every call, so the same points give the same circle.
    Returns (cx, cy, r), or None when no circle is found."""

def fitCircleClaudeOpus45v2(points: Any, maxIterations: SupportsIndex, inlierThreshold: float, minRadius: float = ..., maxRadius: float = ...) -> Any:
    """MSAC sampling weighted by local point density with an adaptive iteration bound, refined in rounds with inlier bands shrinking to 0.75, 0.6 and 0.375 x inlierThreshold. For many outliers packed densely on the contour.

    points: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. Sampling is seeded on every call, so the same points give the same circle.
    Returns (cx, cy, r), or None when no circle is found."""

def fitCircleFromPoints(points: Any) -> Any:
    """Algebraic fit of the centred moments of (N, 2) points: (cx, cy, r). Collinear or coincident points give their mean and mean distance; None when that radius is 0 (no points, or all equal). The fitter to pick for clean points."""

def fitCircleLeastSquares(points: Any) -> Any:
    """The moment fit in single precision: (cx, cy, r), or None for fewer than three points or collinear points."""

def fitCircleTaubin(points: Any) -> Any:
    """Algebraic fit of x^2 + y^2 + D x + E y + F = 0 by its normal equations: (cx, cy, r), or None for fewer than three points or collinear points."""

def fitCircleHoughTransform(points: Any) -> Any:
    """Hough voting on an image rendered from the points; centre and radius come out as whole pixels. (cx, cy, r), or None for fewer than three points or when no circle is found."""

def selectBestFitCircle(circles: numpy.typing.NDArray[numpy.float32], ratio: float) -> tuple:
    """The candidate (x, y, r) with the largest radius from an (N, 3) array-like; (0, 0, 0) for none. The ratio does not change the result."""

def FindMeanMaxMinRadius(pts: Any, centre: Any) -> dict:
    """Distances of (N, 2) points to centre, in pixels: {'mean', 'max', 'min', 'max_point', 'min_point'}, the points where the extremes occur. No points: mean 0, max 1.1754944e-38, min FLT_MAX, both points (0, 0)."""

def FindMeanMaxMinDiameter(n: SupportsIndex, pts: Any, centre: Any) -> dict:
    """Chords between opposite points of a closed contour of n points (pts[j] to pts[j + n // 2]), in pixels: {'mean', 'max', 'min', 'max_a', 'max_b', 'min_a', 'min_b'}, the longest and the shortest non-zero chord with their end points. With n < 2 or no chord of positive length, mean, max and min are 0 and the end points (0, 0). centre is not used."""

def fitLineLeastSquares(pts: Any) -> tuple:
    """cv::fitLine with DIST_L2; (0, 0, 0, 0) for fewer than two points.

    pts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point on the line."""

def fitLineUSAC(pts: Any) -> tuple:
    """cv::fitLine with DIST_HUBER (no sampling despite the name); (0, 0, 0, 0) for fewer than two points.

    pts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point on the line."""

def fitLineTaubin(pts: Any) -> tuple:
    """Principal axis through the centroid; (0, 0, 0, 0) for fewer than two points.

    pts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point on the line."""

def fitLineKMeans(pts: Any) -> tuple:
    """Line through the centres of a two-cluster k-means split of (N, 2) points, returned as the segment (x1, y1, x2, y2) over the points' x range (y range when the centres lie one above the other). Fewer than two points print a message to standard error and give (0, 0, 0, 0)."""

def fitLineLevenbergMarquardt(pts: Any) -> tuple:
    """Orthogonal least squares refined by Levenberg-Marquardt. Raises RuntimeError for fewer than two points.

    pts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point on the line."""

def fitLineRANSAC(pts: Any, maxIterations: SupportsIndex, threshold: float, minInliers: SupportsIndex) -> tuple:
    """Best line through two sampled points: most inliers closer than threshold pixels, at least minInliers, min(N, maxIterations) samples, no refinement. (0, 0, 0, 0) when no sample qualifies.

    pts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point on the line."""

def fitLineChatGPT(pts: Any, maxIterations: SupportsIndex, threshold: float, minInliers: SupportsIndex) -> tuple:
    """Sampling (OpenCV's RNG, seed 12345); the best sample's inliers (closer than threshold pixels, at least minInliers) are refitted by their principal axis. (0, 0, 0, 0) when no sample qualifies.

    pts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point on the line."""

def fitLineLeastSquaresUSAC(pts: Any, maxIterations: SupportsIndex, threshold: float) -> tuple:
    """Adaptive sampling whose iteration count shrinks with the inlier ratio, then cv::fitLine (DIST_L2) on the inliers closer than threshold pixels. (0, 0, 0, 0) for too few points.

    pts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point on the line."""

def fitLineClaudeOpus45(pts: Any, maxIterations: SupportsIndex, threshold: float, minInliers: SupportsIndex) -> tuple:
    """Sampling with soft (Gaussian) scoring, principal-axis refits of the inliers and a final Tukey-biweight refinement; the direction points right (down when vertical). (0, 0, 0, 0) for fewer than two points.

    pts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point on the line."""

def fitLineGeminiPro(pts: Any, maxIterations: SupportsIndex, threshold: float, refineMode: SupportsIndex, minInliers: SupportsIndex) -> tuple:
    """MSAC sampling (truncated quadratic cost, threshold in pixels, candidates with at least minInliers inliers). refineMode 0 keeps the best sample, 2 runs up to five weighted principal-axis passes over the inliers, any other value one unweighted pass. Without a qualifying sample, cv::fitLine (DIST_L2) of all points; (0, 0, 0, 0) for fewer than two. The fitter to pick for edge points with outliers, with refineMode 1.

    pts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point on the line."""

def fitLinearCurve(pts: Any, method: SupportsIndex) -> tuple:
    """Line as y = k*x + b: returns (k, b, valid) for (N, 2) points. method 1 robust sampling, 2 Huber, anything else least squares. A vertical line gives k = inf and b = its x; valid is 0.0 (and k, b 0) when no line was found."""

def findCruveLocalPeakValleyPoint(curve: Any, step: SupportsIndex, window: SupportsIndex) -> dict:
    """Sharpest bends of an ordered (N, 2) point list. The turning value at i is the cross product of p(i) - p(i - step) and p(i + step) - p(i); positive turns are clockwise on screen. The peak is the largest turn beating the five values on each side strictly, the valley the smallest.

    Returns {'peak': {...}, 'valley': {...}}, each with 'index' (-1 when none), 'point' ((-1, -1) when none), 'value' (the turning value; -inf for no peak, +inf for no valley), 'line' ((k, b) of y = k*x + b fitted with a Huber loss to the points within window of it, itself excluded; k = inf for a vertical line x = b), 'line_valid', 'distance' (of the point from that line, 0 when none) and 'coefficients' ((k, b, 0.0)). Curves shorter than 2*step + 1 or 2*window + 1 points give indices -1 and zero values."""

def FitCircle(points: Any, threshold: float = ..., robust: bool = ...) -> Any:
    """Fits a circle to (N, 2) edge points and returns ((cx, cy, r), inliers), inliers being a boolean array of N marking the points within threshold pixels of the circle; None when no circle is found.

    robust=True (for points with outliers) runs fitCircleGeminiUltra with 1000 iterations and threshold as its inlier threshold; robust=False runs fitCircleFromPoints, the algebraic fit for clean points. threshold must be positive."""

def FitLine(points: Any, threshold: float = ..., robust: bool = ...) -> Any:
    """Fits a straight line to (N, 2) edge points and returns ((vx, vy, x0, y0), inliers): a unit direction and a point on the line as cv::fitLine gives them, and a boolean array of N marking the points within threshold pixels of the line; None for fewer than two points.

    robust=True (for points with outliers) runs fitLineGeminiPro with 500 iterations, threshold as its inlier threshold and one principal-axis refinement of the inliers; robust=False runs fitLineLeastSquares. threshold must be positive."""

@overload
def measureEdges(image: numpy.typing.NDArray[numpy.uint8], p1: Any, p2: Any, threshold: float = ..., polarity: SupportsIndex = ..., kernel_size: SupportsIndex = ..., width: SupportsIndex = ..., select: str = ...) -> dict:
    """measureEdges(image, p1, p2, ...) or measureEdges(image, rect, ...)

    Edge gauge: the edges along the line p1 -> p2, or along the long axis of the rotated rectangle
    rect = ((cx, cy), (w, h), angle) averaged over its whole short side (width is then not used).
    Positions are sub-pixel, in image pixels with pixel centres at whole numbers.

    Args:
        image: uint8 array with 1, 3 or 4 channels.
        threshold: minimum step contrast in grey levels (the kernel response divided by half its size).
        polarity: 0 either, 1 rising (dark to bright along the search), 2 falling.
        kernel_size: width of the step kernel in samples, limited to 2..15.
        width: lines averaged across each caliper, one pixel apart.
        select: 'first' or 'strongest' edge of each caliper, or 'all' (the default here).

    Returns a dict: ok, reason (why it failed, '' when ok), edges (a list of dicts with point (x, y),
    position along the search in pixels, polarity 1 rising or 2 falling, strength), gaps (distances
    between consecutive edges). Unsuitable input (empty image, NaN or degenerate geometry, an ROI
    outside the image) gives ok False with a reason, never an exception."""
@overload
def measureEdges(image: numpy.typing.NDArray[numpy.uint8], rect: Any, threshold: float = ..., polarity: SupportsIndex = ..., kernel_size: SupportsIndex = ..., select: str = ...) -> dict:
    """Edge gauge along the long axis of the rotated rectangle rect = ((cx, cy), (w, h), angle), averaged
    over its whole short side; arguments and result as in the line form above."""

def measureLine(image: numpy.typing.NDArray[numpy.uint8], rect: Any, threshold: float = ..., polarity: SupportsIndex = ..., kernel_size: SupportsIndex = ..., width: SupportsIndex = ..., select: str = ..., calipers: SupportsIndex = ..., inlier_threshold: float = ...) -> dict:
    """Line gauge: calipers spread along the long axis of the rotated rectangle rect = ((cx, cy), (w, h),
    angle), each searching across it (the long axis turned by +90 degrees, downwards for a level
    rectangle), and a robust line fit of their edges.

    Args:
        image: uint8 array with 1, 3 or 4 channels.
        rect: ((cx, cy), (w, h), angle in degrees).
        threshold: minimum step contrast in grey levels (the kernel response divided by half its size).
        polarity: 0 either, 1 rising (dark to bright along the search), 2 falling.
        kernel_size: width of the step kernel in samples, limited to 2..15.
        width: lines averaged across each caliper, one pixel apart.
        select: 'first' or 'strongest' edge of each caliper.
        calipers: number of calipers (>= 2).
        inlier_threshold: pixels; edge points farther from the line are outliers.

    Returns a dict: ok, reason, line (vx, vy, x0, y0), p1, p2 (the fitted line between the rectangle's
    short sides), angle (to the horizontal, degrees in (-90, 90], clockwise on screen), straightness
    (largest minus smallest signed residual of the inliers), inlier_count, and per caliper: points
    ((x, y) or None), inliers (bool), calipers ((start, end) of each search)."""

def measureCircle(image: numpy.typing.NDArray[numpy.uint8], center: Any, inner_radius: float, outer_radius: float, start_angle: float = ..., end_angle: float = ..., threshold: float = ..., polarity: SupportsIndex = ..., kernel_size: SupportsIndex = ..., width: SupportsIndex = ..., select: str = ..., calipers: SupportsIndex = ..., inward: bool = ..., inlier_threshold: float = ...) -> dict:
    """Circle gauge: radial calipers over the annulus sector between inner_radius and outer_radius, swept
    from the smaller to the larger of start_angle and end_angle (degrees, clockwise on screen; a sweep
    of 360 or more is the full ring), and a robust circle fit of their edges.

    Args:
        image: uint8 array with 1, 3 or 4 channels.
        center: (x, y) of the annulus.
        threshold: minimum step contrast in grey levels (the kernel response divided by half its size).
        polarity: 0 either, 1 rising (dark to bright along the search), 2 falling.
        kernel_size: width of the step kernel in samples, limited to 2..15.
        width: lines averaged across each caliper, one pixel apart.
        select: 'first' or 'strongest' edge of each caliper.
        calipers: number of calipers (>= 3).
        inward: search from the outer towards the inner radius.
        inlier_threshold: pixels; edge points farther from the circle are outliers.

    Returns a dict: ok, reason, center (x, y), radius, diameter, roundness (largest minus smallest radial
    distance of the inliers), inlier_count, and per caliper: points ((x, y) or None), inliers (bool),
    calipers ((start, end) of each search)."""
