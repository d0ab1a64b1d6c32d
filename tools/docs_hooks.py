"""MkDocs hooks for the documentation site.

- The tutorials' figures are drawn by the examples while the site builds and added to it
  as generated files: nothing in docs/ goes stale, and a broken example breaks the build.
- Pages link to source files with paths relative to their own (`../src/...`), which work
  in the repository. The site holds no sources, so such a link becomes the path in code
  type; a path that names no file is reported, and fails the strict build.
"""

import contextlib
import importlib
import io
import logging
import pathlib
import re
import sys
import tempfile

from mkdocs.structure.files import File

ROOT = pathlib.Path(__file__).resolve().parents[1]
LOG = logging.getLogger("mkdocs.plugins.kinetra")

# Site path of each figure: the example that draws it, and its option naming the output.
FIGURES = {
    "tutorials/gravity_compensation.png": ("gravity_compensation", "--output"),
    "tutorials/inverse_kinematics.png": ("inverse_kinematics", "--plot"),
    "tutorials/double_pendulum.png": ("double_pendulum", "--output"),
}

SOURCE_LINK = re.compile(r"\[([^\]]+)\]\((\.\./[^)\s#]+)(#[^)]*)?\)")

_scratch = None


def on_files(files, config):
    global _scratch
    _scratch = tempfile.TemporaryDirectory(prefix="kinetra-figures-")
    sys.path.insert(0, str(ROOT / "examples"))
    for uri, (module, option) in FIGURES.items():
        path = pathlib.Path(_scratch.name) / pathlib.Path(uri).name
        with contextlib.redirect_stdout(io.StringIO()):
            importlib.import_module(module).main([option, str(path)])
        files.append(File.generated(config, uri, abs_src_path=str(path)))
    return files


def on_page_markdown(markdown, page, config, files):
    docs = pathlib.Path(config.docs_dir).resolve()
    folder = (docs / page.file.src_path).parent

    def to_path(match):
        text, target = match.group(1), match.group(2)
        path = (folder / target).resolve()
        if path.is_relative_to(docs):
            return match.group(0)  # a page of the site: MkDocs checks it
        if not path.exists():
            LOG.warning("%s: the link '%s' names no file of the repository",
                        page.file.src_path, target)
        shown = path.relative_to(ROOT).as_posix() if path.is_relative_to(ROOT) else target
        return f"`{shown}`" if shown.endswith(text.strip("`")) else f"{text} (`{shown}`)"

    return SOURCE_LINK.sub(to_path, markdown)


def on_post_build(config):
    if _scratch is not None:
        _scratch.cleanup()
