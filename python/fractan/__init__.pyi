# The API of the package fractan, for editors and type checkers.
from typing import Any, Iterator, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

__version__: str

ArrayLike = npt.ArrayLike
Series = npt.ArrayLike  # one series: a 1-D array-like of numbers
ManySeries = Any  # a 2-D array (a series a row), a list of array-likes, a pandas DataFrame (a series a column)

class Fit:
    hurst: float
    intercept: float
    hurst_residual_error: float
    hurst_error: float  # the old name of hurst_residual_error
    hurst_ci: Optional[tuple[float, float]]
    hurst_corrected: Optional[float]
    hurst_sd: Optional[float]
    scales: npt.NDArray[np.int32]

class Result:
    type: int
    method: str
    scales: npt.NDArray[np.int32]
    fluctuation: npt.NDArray[np.float64]
    hurst: Union[float, npt.NDArray[np.float64]]
    hurst_residual_error: Optional[float]
    hurst_error: Optional[float]  # the old name of hurst_residual_error
    hurst_ci: Optional[tuple[float, float]]
    hurst_corrected: Optional[float]
    hurst_sd: Optional[float]
    positions: Optional[npt.NDArray[np.int32]]
    position: int
    intercept: Optional[float]
    def fit(self, min_scale: Optional[float] = None, max_scale: Optional[float] = None) -> Fit: ...
    def plot(self, ax: Any = None) -> Any: ...

class Results:
    type: int
    names: Optional[list]
    hurst: Union[npt.NDArray[np.float64], list]
    hurst_residual_error: Optional[npt.NDArray[np.float64]]
    hurst_error: Optional[npt.NDArray[np.float64]]
    hurst_ci: Optional[npt.NDArray[np.float64]]
    hurst_corrected: Optional[npt.NDArray[np.float64]]
    hurst_sd: Optional[npt.NDArray[np.float64]]
    scales: Union[npt.NDArray[np.int32], list]
    fluctuation: Union[npt.NDArray[np.float64], list, None]
    positions: Union[npt.NDArray[np.int32], list, None]
    def __len__(self) -> int: ...
    def __getitem__(self, key: Any) -> Result: ...
    def __iter__(self) -> Iterator[Result]: ...

class Clusters:
    clusters: np.ndarray
    binning: str
    def distribution(self, quantity: str, window: Optional[int] = None) -> dict: ...
    def plot(self, quantity: Optional[str] = None, window: Optional[int] = None, axes: Any = None) -> Any: ...

def dma(x: Union[Series, ManySeries], type: int = ..., window: Optional[int] = None,
        scales: Optional[ArrayLike] = None, weight: int = ..., shift: float = ..., lambda_: float = ...,
        step: int = ..., integrate: bool = False, jobs: int = 0, ci: Optional[float] = None,
        bootstrap: int = 50, seed: Optional[int] = None) -> Union[Result, Results]: ...
def dfa(x: Union[Series, ManySeries], type: int = ..., order: int = ..., window: Optional[int] = None,
        scales: Optional[ArrayLike] = None, step: int = ..., integrate: bool = False,
        jobs: int = 0, boxes: str = "end", ci: Optional[float] = None, bootstrap: int = 50,
        seed: Optional[int] = None) -> Union[Result, Results]: ...
class Multifractal:
    method: str
    q: npt.NDArray[np.float64]
    scales: npt.NDArray[np.int32]
    fluctuation: npt.NDArray[np.float64]  # a row per q
    h: npt.NDArray[np.float64]
    tau: npt.NDArray[np.float64]
    alpha: npt.NDArray[np.float64]
    f: npt.NDArray[np.float64]
    flat_segments: npt.NDArray[np.int64]
    def plot(self, axes: Any = None) -> Any: ...

def mfdfa(x: Series, q: Optional[ArrayLike] = None, scales: Optional[ArrayLike] = None, order: int = ...,
          boxes: str = ..., integrate: bool = False) -> Multifractal: ...
def mfdma(x: Series, q: Optional[ArrayLike] = None, scales: Optional[ArrayLike] = None, theta: float = 0.0,
          integrate: bool = False) -> Multifractal: ...
class CrossCorrelation:
    method: str
    scales: npt.NDArray[np.int32]
    f2xy: Optional[npt.NDArray[np.float64]]
    fx: Optional[npt.NDArray[np.float64]]
    fy: Optional[npt.NDArray[np.float64]]
    rho: npt.NDArray[np.float64]  # per scale, or a row per position when sliding
    exponent: float
    positions: Optional[npt.NDArray[np.int32]]
    summary: list[str]
    def plot(self, ax: Any = None) -> Any: ...

def dcca(x: Series, y: Series, scales: Optional[ArrayLike] = None, order: int = ..., boxes: str = ...,
         integrate: bool = False, window: Optional[int] = None, step: int = ...) -> CrossCorrelation: ...
def dmca(x: Series, y: Series, scales: Optional[ArrayLike] = None, theta: float = 0.0, integrate: bool = False,
         window: Optional[int] = None, step: int = ...) -> CrossCorrelation: ...
def clusters(x: Series, scales: ArrayLike, average: str = "standard", distribution: str = "linear",
             step: float = 1.0, per_window: bool = False, bad_above: float = ...) -> Clusters: ...
def generate_rmd(levels: int, hurst: float, seed: int = ...) -> npt.NDArray[np.float64]: ...
def generate_fft(levels: int, hurst: float, seed: int = ...) -> npt.NDArray[np.float64]: ...
def linear(start: int, end: int, step: int) -> npt.NDArray[np.int32]: ...
def geometric(start: int, end: int, step: int = 2) -> npt.NDArray[np.int32]: ...
def local_slope(scales: ArrayLike, fluctuation: ArrayLike, width: float = 1.0,
                delta: float = 0.1) -> tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
def load(path: str, column: Union[int, str, None] = None) -> npt.NDArray[np.float64]: ...
def run_config(path: str, jobs: int = 0) -> dict: ...
