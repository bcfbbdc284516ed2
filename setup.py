# SPDX-License-Identifier: MIT
"""Builds the extension horodex._horodex with the project's CMake build, for
the interpreter running pip, and packs it with python/horodex/."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                        f"-DPython_EXECUTABLE={sys.executable}", "-DHORODEX_PYTHON=ON",
                        "-DBUILD_TESTING=OFF", "-DHORODEX_BENCH=OFF"], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "_horodex", "-j", str(os.cpu_count() or 1)],
                       check=True)
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(build / "python" / "horodex" / target.name, target)


setup(
    version=re.search(r"project\(horodex VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1),
    packages=["horodex"],
    package_dir={"": "python"},
    package_data={"horodex": ["__init__.pyi", "py.typed"]},
    ext_modules=[Extension("horodex._horodex", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)
