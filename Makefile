# The two commands of the README.
.PHONY: run test build bench format

run:
	scripts/run

test:
	scripts/test

build:
	scripts/install-deps
	scripts/build

bench: build
	for b in build/bench/bench_*; do "$$b"; done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
