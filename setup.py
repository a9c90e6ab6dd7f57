"""The Python package `fractan`: its Python files from python/fractan, and its
extension fractan._fractan built by the project's own CMake build (the target
fractan_python) for the Python that runs this, without the command, the
desktop, the tests or the benchmarks. The version is the CMake project's."""
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
VERSION = re.search(r"project\(fractan VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        options = ["-DCMAKE_BUILD_TYPE=Release", f"-DPython_EXECUTABLE={sys.executable}",
                   "-DFRACTAN_BUILD_COMMAND=OFF", "-DFRACTAN_BUILD_GUI=OFF", "-DFRACTAN_BUILD_BENCH=OFF"]
        if shutil.which("ninja"):
            options.append("-GNinja")
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), *options], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "fractan_python", "-j", str(os.cpu_count() or 1)],
                       check=True)
        built = build / "python" / "fractan" / Path(self.get_ext_filename(ext.name)).name
        if not built.exists():
            sys.exit(f"the CMake build made no {built}: is pybind11 (pybind11-dev) there for {sys.executable}?")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


# The setuptools build folder is not the CMake one, build/.
setup(version=VERSION, packages=["fractan"], package_dir={"fractan": "python/fractan"},
      package_data={"fractan": ["__init__.pyi", "py.typed"]}, ext_modules=[Extension("fractan._fractan", sources=[])],
      cmdclass={"build_ext": CMakeBuild}, options={"build": {"build_base": "build-python"}}, zip_safe=False)
