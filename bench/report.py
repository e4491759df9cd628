"""Results as a Markdown table, as JSON and as a PNG chart."""

from __future__ import annotations

import io
import json
import statistics
from pathlib import Path

PEER_COLOURS = {"pygame": "#d62728", "PyGLM": "#1f77b4", "complex": "#2ca02c", "Python": "#9467bd",
                "ctypes": "#8c564b", "raylib's own": "#e377c2"}
DRAWING_GROUP = "Drawing"


def summarise(rows: list[dict]) -> dict:
    """Median ratio and the rows where korvex is not ahead, over rows with a peer."""
    ranked = [row for row in rows if row["ratio"] is not None]
    ratios = [row["ratio"] for row in ranked]
    behind = [row for row in ranked if row["ratio"] >= 1.0]
    return {
        "operations": len(rows),
        "with_peer": len(ranked),
        "ahead": len(ranked) - len(behind),
        "median_ratio": statistics.median(ratios) if ratios else None,
        "median_ratio_of_medians": statistics.median(row.get("ratio_median", row["ratio"]) for row in ranked)
        if ranked else None,
        "behind": [{"operation": row["label"], "ratio": row["ratio"], "note": row["note"],
                    "spread": row.get("ratio_spread")} for row in behind],
    }


def _cell(timing: dict | None) -> str:
    return "" if timing is None else f"{timing['median']:.1f} ({timing['best']:.1f})"


def markdown(results: dict) -> str:
    meta, summary = results["meta"], results["summary"]
    libs = meta["libraries"]
    out = [
        "# korvex benchmark",
        "",
        f"{meta['date']} · {meta['machine']} · CPython {meta['python']} · "
        + " · ".join(f"{name} {version}" for name, version in libs.items() if version not in ("build", "builtin")),
        "",
        f"Every library's variant of an operation timed in one process, interleaved; "
        f"{meta['rounds']} rounds of calibrated loops; ns per operation, median (best). "
        f"Ratio: korvex's best / the best of the fastest peer that has the operation "
        f"(the best sample is the one the other processes of the machine disturbed least); "
        f"median ratio: the same with medians. Load average at the start: {meta['load']}.",
        "",
        f"**korvex is ahead of the fastest peer on {summary['ahead']} of {summary['with_peer']} operations; "
        f"median ratio korvex / fastest peer {summary['median_ratio']:.2f} "
        f"({summary['median_ratio_of_medians']:.2f} from the medians).**",
    ]
    by_note: dict[str, list[str]] = {}
    for row in summary["behind"]:
        spread = row.get("spread")
        paired = f" (rounds {spread[0]:.2f}–{spread[1]:.2f})" if spread and not row["note"] else ""
        by_note.setdefault(row["note"], []).append(f"`{row['operation']}` {row['ratio']:.2f}{paired}")
    for note, entries in sorted(by_note.items()):
        out += ["", ("Not ahead (in brackets: the middle half of the ratios of samples taken back to back in "
                     "each round): " if not note else f"Not ahead, floors ({note}): ") + ", ".join(entries) + "."]
    out += ["", "## Operations", ""]
    names = list(libs)
    out.append("| group | operation | " + " | ".join(names) + " | fastest peer | ratio | median ratio | note |")
    out.append("|---|---|" + "---:|" * len(names) + "---|---:|---:|---|")
    for row in results["operations"]:
        cells = [_cell(row["timings"].get(name)) for name in names]
        ratios = ["" if row[key] is None else f"{row[key]:.2f}" for key in ("ratio", "ratio_median")]
        out.append(f"| {row['group']} | `{row['label']}` | " + " | ".join(cells)
                   + f" | {row['fastest_peer'] or ''} | " + " | ".join(ratios) + f" | {row['note']} |")
    out += drawing_table(results["operations"])
    if results["game"]:
        peers = [name for name in results["game"][0]["fps"] if name != "korvex"]
        out += ["", "## Game-like loop (frames/s, median of rounds)", "",
                "Particles: `pos += vel * dt`, bounce off the walls of a bounding rectangle, step back off the "
                "obstacle of their grid cell; each library written its own way (bench/game.py).", "",
                "| particles | korvex | " + " | ".join(peers) + " | korvex / fastest peer (paired by round) |",
                "|---:|---:|" + "---:|" * len(peers) + "---:|"]
        for loop in results["game"]:
            fps = loop["fps"]
            out.append(f"| {loop['particles']} | {fps['korvex']:.0f} | "
                       + " | ".join(f"{fps[name]:.0f}" for name in peers) + f" | {loop['ratio']:.2f} |")
    memory = results["memory"]
    if memory:
        present = {lib for per in memory["sizes"].values() for lib in per}
        peers = [name for name in libs if name in present and name != "korvex"]
        out += ["", "## Memory (bytes)", "",
                "| object | korvex | " + " | ".join(peers) + " |", "|---|---:|" + "---:|" * len(peers)]
        for label, per in memory["sizes"].items():
            out.append(f"| `sys.getsizeof` {label} | {per['korvex']} | "
                       + " | ".join(str(per.get(name, "")) for name in peers) + " |")
        traced = memory["vector2_list"]
        out.append(f"| tracemalloc, list of {memory['count']:,} Vector2, per element | {traced['korvex']:.1f} | "
                   + " | ".join(f"{traced[name]:.1f}" if name in traced else "" for name in peers) + " |")
    return "\n".join(out) + "\n"


def drawing_ratios(row: dict) -> dict[str, float]:
    """korvex's best time over each peer's best, for one row."""
    timings = row["timings"]
    return {name: timings["korvex"]["best"] / cell["best"] for name, cell in timings.items() if name != "korvex"}


def drawing_table(rows: list[dict]) -> list[str]:
    """The drawing rows again, as korvex's ratio to every peer (below 1: korvex faster)."""
    drawn = [row for row in rows if row["group"] == DRAWING_GROUP]
    if not drawn:
        return []
    peers = [name for name in ("ctypes", "raylib's own", "pygame") if any(name in row["timings"] for row in drawn)]
    out = ["", "## Drawing: korvex against each peer", "",
           "ctypes: raylib's function through ctypes, its structures made by the parser capsules at every call "
           "(the path a Python program takes without a native drawing module); raylib's own: the same call with "
           "structures built beforehand, the floor for any caller of that function; pygame: `pygame.draw` (and "
           "`Surface.set_at`) on a Surface. raylib's vertex batch is flushed between samples, untimed; pygame's "
           "time includes its pixels. korvex's best time / the peer's best.", "",
           "| operation | korvex ns | " + " | ".join(f"/ {name}" for name in peers) + " |",
           "|---|---:|" + "---:|" * len(peers)]
    for row in drawn:
        ratios = drawing_ratios(row)
        out.append(f"| `{row['label']}` | {row['timings']['korvex']['best']:.1f} | "
                   + " | ".join(f"{ratios[name]:.3f}" if name in ratios else "" for name in peers) + " |")
    return out


def chart(results: dict, path: Path) -> None:
    """One horizontal bar per operation: the ratio, sorted, coloured by fastest peer.

    A long list is laid out in side-by-side panels (the sorted order runs down
    the first, then the next), all on the same scale.
    """
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from matplotlib.patches import Patch

    rows = sorted((row for row in results["operations"] if row["ratio"] is not None), key=lambda row: row["ratio"])
    panels = max(1, -(-len(rows) // ROWS_PER_PANEL))
    per_panel = -(-len(rows) // panels) if rows else 1
    fig, axes = plt.subplots(1, panels, figsize=(9 * panels, 1.4 + 0.16 * per_panel), dpi=100, squeeze=False)
    low = min((row["ratio"] for row in rows), default=1.0)
    high = max((row["ratio"] for row in rows), default=1.0)
    ticks = [t for t in (0.02, 0.05, 0.1, 0.2, 0.3, 0.5, 0.7, 1.0, 1.5, 2.0, 3.0, 5.0, 10.0, 20.0)
             if low * 0.8 <= t <= high * 1.25]
    for index, ax in enumerate(axes[0]):
        _chart_panel(ax, rows[index * per_panel:(index + 1) * per_panel], per_panel, (low * 0.8, high * 1.35), ticks)
    summary = results["summary"]
    fig.suptitle(f"korvex against the fastest peer: median ratio {summary['median_ratio']:.2f}, "
                 f"ahead on {summary['ahead']} of {summary['with_peer']}", fontsize=12)
    present = sorted({row["fastest_peer"] for row in rows})
    handles = [Patch(color=PEER_COLOURS.get(peer, "#7f7f7f"), label=f"fastest peer: {peer}") for peer in present]
    if any(row["note"] for row in rows):
        handles.append(Patch(facecolor="#7f7f7f", edgecolor="white", hatch="////",
                             label="floor: the peer does less work (see notes)"))
    fig.legend(handles=handles, loc="lower center", ncol=len(handles), fontsize=9, frameon=False)
    fig.tight_layout(rect=(0, 0.8 / fig.get_figheight(), 1, 1))  # room for the legend below the panels
    buffer = io.BytesIO()
    fig.savefig(buffer, format="png")
    plt.close(fig)
    path.write_bytes(_palette_png(buffer.getvalue()))


ROWS_PER_PANEL = 80


def _chart_panel(ax, rows: list[dict], slots: int, limits: tuple[float, float], ticks: list[float]) -> None:
    import matplotlib

    positions = range(len(rows))
    bars = ax.barh(positions, [row["ratio"] for row in rows],
                   color=[PEER_COLOURS.get(row["fastest_peer"], "#7f7f7f") for row in rows], height=0.75)
    for bar, row in zip(bars, rows):
        if row["note"]:  # a floor: the peer does less work than korvex's contract asks
            bar.set_hatch("////")
            bar.set_edgecolor("white")
    for position, row in zip(positions, rows):
        ax.text(row["ratio"] * 1.02, position, f"{row['ratio']:.2f}", va="center", fontsize=6)
    ax.set_yticks(list(positions), [f"{row['group']}: {row['label']}" for row in rows], fontsize=7)
    ax.set_xscale("log")
    ax.set_xlim(*limits)
    ax.set_xticks(ticks, [f"{t:g}" for t in ticks])
    ax.xaxis.set_minor_locator(matplotlib.ticker.NullLocator())
    ax.axvline(1.0, color="black", linewidth=1)
    ax.set_xlabel("korvex time / fastest peer's time (log scale; left of 1.0: korvex faster)")
    ax.set_ylim(slots - 0.5, -0.5)
    ax.grid(axis="x", linewidth=0.4, alpha=0.6)


def _palette_png(png: bytes) -> bytes:
    """The chart in 64 colours: a quarter of the bytes, alike to the eye."""
    try:
        from PIL import Image
    except ImportError:
        return png
    out = io.BytesIO()
    Image.open(io.BytesIO(png)).convert("RGB").quantize(colors=64).save(out, format="PNG", optimize=True)
    return out.getvalue()


def write(results: dict, out_dir: Path) -> str:
    out_dir.mkdir(parents=True, exist_ok=True)
    text = markdown(results)
    (out_dir / "results.md").write_text(text)
    (out_dir / "results.json").write_text(json.dumps(results, indent=1) + "\n")
    chart(results, out_dir / "results.png")
    return text
