# Vexorin: `make` builds everything, `make run` scans this machine under Wine,
# `make test` runs every test, `make demo` shows an infected verdict,
# `make bench` prints the benchmarks' figures, `make fuzz` fuzzes the matcher
# for 10 minutes.
# Each installs what is missing first (see tools/install_deps.sh).

.PHONY: all deps build run test demo bench fuzz clean

all: build

deps:
	@bash tools/install_deps.sh

build: deps
	@bash tools/build.sh

run: build
	@bash tools/run.sh

test: build
	@bash tools/test.sh

demo: build
	@bash tools/demo.sh

bench: build
	@bash tools/bench.sh

fuzz: build
	@bash tools/fuzz.sh long

clean:
	rm -rf build
