"""Builds the extension kelma_symmetry._core with the project's CMake (metadata in
pyproject.toml)."""

import os
import pathlib
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent
# The machines this builds on are shared; two compile jobs at most.
BUILD_JOBS = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")


class CMakeBuild(build_ext):
    """Configures the project for the running interpreter and builds only the extension, straight
    into the package folder that setuptools installs."""

    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        package_root = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve().parent.parent
        configure = [
            "cmake", "-S", str(ROOT), "-B", str(build),
            "-DCMAKE_BUILD_TYPE=Release", "-DBUILD_TESTING=OFF",
            f"-DPython_EXECUTABLE={sys.executable}", f"-DPYTHON_PACKAGE_DIR={package_root}",
        ]
        subprocess.run(configure, check=True)
        subprocess.run(
            ["cmake", "--build", str(build), "--target", "_core", "-j", BUILD_JOBS], check=True
        )


setup(
    ext_modules=[Extension("kelma_symmetry._core", sources=[])], cmdclass={"build_ext": CMakeBuild}
)
