# The two commands of the README.
.PHONY: run test build bench format sanitize package

run:
	scripts/run

test:
	scripts/test

build:
	scripts/install-deps run
	scripts/build

# The Debian packages tarvo and tarvo-dev, in build-package/.
package:
	scripts/package

# The whole suite with address and undefined-behaviour checks (a build of its own).
sanitize:
	scripts/sanitize

# The PostgreSQL measurements run against a throw-away server (skipped, with the reason
# printed, where PostgreSQL is not installed).
bench:
	scripts/install-deps test
	TARVO_CMAKE_ARGS=-DBUILD_TESTING=ON scripts/build
	scripts/with-postgres sh -c 'for b in build/bench/bench_*; do "$$b"; done'

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
