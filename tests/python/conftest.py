import importlib.util
import os
import pathlib
import sys

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def probe():
    """The binding-test extension built beside the C++ tests (make test-cpp)."""
    directory = pathlib.Path(os.environ.get("KINETRA_PROBE_DIR", ROOT / "build" / "cpp"))
    candidates = sorted(directory.glob("toolkit_probe*.so"))
    if not candidates:
        pytest.skip(f"toolkit_probe not built in {directory} (run make test)")
    found = importlib.util.spec_from_file_location("toolkit_probe", candidates[0])
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    sys.modules.setdefault("toolkit_probe", module)
    return module
