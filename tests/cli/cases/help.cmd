orvane-cli --help
